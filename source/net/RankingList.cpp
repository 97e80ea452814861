#include "net/RankingList.h"

#include "base/FieldText.h"

#include <algorithm>
#include <climits>

namespace {

// A line of a reply; a Windows line end leaves its "\r" behind, which is no part of the last field.
std::string_view fTrimCarriageReturn(std::string_view line) {
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return line;
}

} // namespace

bool fIsValidReplayId(std::string_view id) {
    if (id.empty() || id.size() > 64 || id.front() == '.') {
        return false;
    }
    return std::all_of(id.begin(), id.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
               c == '-' || c == '.';
    });
}

std::vector<SRankingData> fParseRankingList(const std::string& reply) {
    std::vector<SRankingData> entries;
    for (const std::string_view rawLine : fSplitFields(reply, '\n')) {
        const std::vector<std::string_view> fields = fSplitFields(fTrimCarriageReturn(rawLine), '?');
        SRankingData entry;
        if (fields.size() != 4 || !fParseDecimalInt(fields[1], entry.score)) {
            continue;
        }
        entry.name = fields[0];
        entry.replayId = fields[2];
        entry.registeredAt = fields[3];
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool fFirstLineHasFourFields(const std::string& reply) {
    const std::string_view text(reply);
    return fSplitFields(fTrimCarriageReturn(text.substr(0, text.find('\n'))), '?').size() == 4;
}

void fSortByScore(std::vector<SRankingData>& entries) {
    std::stable_sort(entries.begin(), entries.end(),
                     [](const SRankingData& a, const SRankingData& b) { return a.score > b.score; });
}

void fSortByDate(std::vector<SRankingData>& entries) {
    std::stable_sort(entries.begin(), entries.end(), [](const SRankingData& a, const SRankingData& b) {
        return a.registeredAt > b.registeredAt;
    });
}

void fAssignCompetitionRanks(std::vector<SRankingData>& entries) {
    fSortByScore(entries);
    int rank = 0;
    int ties = 0;
    long long previous = LLONG_MAX; // above every score, so the first entry opens rank 1
    for (SRankingData& entry : entries) {
        if (entry.score < previous) {
            rank += ties + 1;
            ties = 0;
            previous = entry.score;
        } else {
            ++ties;
        }
        entry.rank = rank;
    }
}

int fRankingLastPage(std::size_t count) {
    return count == 0 ? 0 : static_cast<int>((count - 1) / kRankingRowsPerPage);
}

std::size_t fRankingPageFirst(int page) {
    return static_cast<std::size_t>(std::max(page, 0)) * kRankingRowsPerPage;
}

std::size_t fRankingPageEnd(std::size_t count, int page) {
    return std::min(fRankingPageFirst(page) + kRankingRowsPerPage, count);
}
