// The ranking as the game shows it: entries read from the server's list reply, their places by score,
// the two orders the ranking window offers, and its pages of ten.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct SRankingData {
    int rank = 0;
    std::string name;
    int score = 0;
    std::string replayId;
    std::string registeredAt;
};

inline constexpr int kRankingRowsPerPage = 10;

// A replay id names a file in "downloaded_replay/", so only plain names are taken: 1 to 64 characters of
// A-Z, a-z, 0-9, "_", "-" and ".", not starting with ".".
bool fIsValidReplayId(std::string_view id);

// One entry per line of four "?"-separated fields (name, score, replay id, registration date), in the
// reply's order. A line is skipped when it has another number of fields or a score that is not a decimal
// integer from 0 to 2147483647. A replay id that fIsValidReplayId refuses keeps its row (and so the places
// below it); only its download is refused.
std::vector<SRankingData> fParseRankingList(const std::string& reply);

// Whether the reply's first line has four "?"-separated fields; a reply without one means the ranking has
// no entries ("ランキングデータが登録されていません").
bool fFirstLineHasFourFields(const std::string& reply);

// Highest score first; equal scores keep their order.
void fSortByScore(std::vector<SRankingData>& entries);
// Latest registration first, the dates compared as text; equal dates keep their order. Ranks are untouched.
void fSortByDate(std::vector<SRankingData>& entries);
// Sorts by score and gives competition ranks: equal scores share a place and the next place skips
// (900, 800, 800, 700 rank 1, 2, 2, 4).
void fAssignCompetitionRanks(std::vector<SRankingData>& entries);

// The last page of `count` entries (0 when there are none), and the entries [first, end) of a page.
int fRankingLastPage(std::size_t count);
std::size_t fRankingPageFirst(int page);
std::size_t fRankingPageEnd(std::size_t count, int page);
