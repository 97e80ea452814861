// The game's side of the online ranking: the server it talks to, the three requests (the ranking list, an
// upload of the high score with its packed replay, a download of another player's replay) and what their
// replies mean. Every request blocks until it is answered or fails (see CCurlWrapper).
#pragma once

#include "base/Translation.h"
#include "net/RankingList.h"

#include <string>
#include <string_view>
#include <vector>

// The notices are Japanese message ids, translated where they are shown.
// The server when neither --ranking-server, TAVONI_RANKING_SERVER nor the player's setting file names one.
extern const char* const kDefaultRankingServer;
inline constexpr const char* kRankingServerEnvironment = "TAVONI_RANKING_SERVER";

inline constexpr const char* kNoticeConnectionFailed = fTrMark("ランキングサーバとの接続に失敗しました");
inline constexpr const char* kNoticeNoRankingData = fTrMark("ランキングデータが登録されていません");
inline constexpr const char* kNoticeDownloadFailed = fTrMark("リプレイファイルのダウンロードに失敗しました");
// Over the server's own reason, on the line after it.
inline constexpr const char* kNoticeUploadRefused = fTrMark("ランキングサーバに送信を断られました");

// [https://]HOST[:PORT]: "https://" for TLS, else plain HTTP; a host name or IPv4 address (letters, digits,
// "." and "-") or a bracketed IPv6 address, and a port from 1 to 65535.
bool fIsValidServerAddress(std::string_view address);
// The --ranking-server option; false (and nothing changed) for an address fIsValidServerAddress refuses.
// Empty: no option.
bool fSetRankingServer(std::string_view address);
// The server of the player's setting file (RankingServerSetting); an invalid address sets none.
void fSetSettingRankingServer(std::string_view address);
// The option's server, else a valid TAVONI_RANKING_SERVER, else the setting file's, else
// kDefaultRankingServer.
std::string fGetRankingServer();

// Every byte outside the URL's unreserved set (A-Z a-z 0-9 "-" "." "_" "~") as "%XX".
std::string fPercentEncode(std::string_view text);

std::string fRankingListUrl(const std::string& server);
std::string fUploadRankingUrl(const std::string& server, const std::string& name, int score);
std::string fDownloadReplayUrl(const std::string& server, const std::string& replayId);

struct SUploadResult {
    bool ok = false;
    int rank = 0;
    std::string refusal; // the server's reason when it answered "UploadFailed?<reason>", made safe to show
};
// "UploadSuccess?<rank>" with a rank from 1 to 2147483647 (a line break after it is allowed) is success;
// any other reply is a failure.
SUploadResult fParseUploadReply(const std::string& reply);
// The reason of an "UploadFailed?<reason>" reply as the player may see it: its first line, printable, at
// most 120 bytes of whole UTF-8 characters; empty for any other reply.
std::string fUploadRefusal(const std::string& reply);
// Uploads the packed replay "dat/replay/replay" with its score under `name` (the name entry's cleaned name).
SUploadResult fUploadRanking(int score, const std::string& name);

struct SRankingListResult {
    bool ok = false;
    std::vector<SRankingData> entries; // ranked, highest score first
    std::string notice;                // what to tell the player when not ok
};
SRankingListResult fFetchRankingList();

// Where a downloaded replay is kept: "downloaded_replay/<id>".
std::string fDownloadedReplayPath(const std::string& replayId);

struct SDownloadResult {
    bool ok = false;
    std::string path;   // the replay to play when ok
    std::string notice; // what to tell the player when not
};
// Downloads a replay into "downloaded_replay/<id>" (a replay already there is reused). The file appears
// only once the bytes are a replay the game accepts; an invalid id, no reply or a damaged replay leaves no
// file and gives a notice instead.
SDownloadResult fDownloadReplay(const std::string& replayId);
