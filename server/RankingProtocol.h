// The ranking requests as they arrive in a URL, and the rules for their fields. The game sends its
// parameters in the query string separated by "?" ("?UploadRanking?name?123"), each percent-encoded; the
// web page and the JSON endpoint use ordinary "key=value&..." queries.
#pragma once

#include "SRunSummary.h"

#include "base/PlayerName.h"
#include <cstdint>
#include <map>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr const char* kRankingScriptPath = "/cgi-bin/tavoni103/ranking.cgi";
inline constexpr std::size_t kMaxUploadBytes = 8u * 1024 * 1024;
inline constexpr std::size_t kMaxNameBytes = kMaxPlayerNameBytes;

enum class ERankingAction { GetRankingList, UploadRanking, DownloadReplay };

struct SRankingRequest {
    ERankingAction action = ERankingAction::GetRankingList;
    std::string name;     // UploadRanking
    int score = 0;        // UploadRanking
    std::string replayId; // DownloadReplay
};

// "%XX" to its byte; any other byte as it is. nullopt for a "%" not followed by two hexadecimal digits.
std::optional<std::string> fPercentDecode(std::string_view text);

// The query of a ranking request (what follows the first "?"). nullopt with `error` set when it is not one
// of the three requests with well-formed fields.
std::optional<SRankingRequest> fParseRankingQuery(std::string_view query, std::string& error);

// 0 to 12 printable single-byte characters (space to "~"), without "?". Empty when fine, else why not.
std::string fCheckPlayerName(std::string_view name);
// The ids this server gives its replays: 32 lowercase hexadecimal digits.
bool fIsServerReplayId(std::string_view id);

// "key=value&key=value", each part percent-decoded ("+" is a space). nullopt when a part cannot be decoded.
std::optional<std::map<std::string, std::string>> fParseFormQuery(std::string_view query);

// The date and time of a UNIX time in UTC, "YYYY/MM/DD HH:MM:SS".
std::string fFormatRegisteredAt(std::int64_t unixSeconds);

struct SListedEntry {
    std::string id;
    std::string name;
    int score = 0;
    std::int64_t registeredAt = 0;
    int rank = 0;
    std::string
        version; // of the game that checked it; empty when not known (entries from before it was kept)
    std::optional<SRunSummary> run; // what its check saw; nullopt when not known (entries from before)
    // Set when a moderator took the entry off the ranking: it is kept, but listed, shown and served nowhere.
    std::optional<std::int64_t> hiddenAt;
    std::string hiddenReason;
};

// Why a stored entry may not be served, empty when it may: an id that is not one of ours, a name the
// uploads' rule refuses, a score no upload may claim, a date outside the years 1970 to 9999, or a version
// that is not up to 64 printable characters. One such row in the list reply would make the game throw away
// the whole list.
std::string fCheckListedEntry(const SListedEntry& entry);

// The list reply: one "name?score?replayId?registeredAt" line per entry, each ended by "\n"; a single "\n"
// when there are none, so an empty ranking is not taken for a failed connection.
std::string fFormatRankingList(const std::vector<SListedEntry>& entries);
