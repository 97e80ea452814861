// The ranking list reply as the game reads it, ranks it and pages it.
#include "FuzzCheck.h"

#include "net/RankingList.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string reply = fuzzText(data, size);
    fFirstLineHasFourFields(reply);
    std::vector<SRankingData> entries = fParseRankingList(reply);
    for (const SRankingData& entry : entries) {
        FUZZ_CHECK(entry.score >= 0);
        // Any id keeps its row (and the places below it); only a download refuses an unsafe one.
        FUZZ_CHECK(entry.replayId.find_first_of("?\n") == std::string::npos);
        FUZZ_CHECK(entry.name.find_first_of("?\n") == std::string::npos);
        FUZZ_CHECK(entry.registeredAt.find_first_of("?\n") == std::string::npos);
    }
    fAssignCompetitionRanks(entries);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i == 0) {
            FUZZ_CHECK(entries[i].rank == 1);
        } else if (entries[i].score == entries[i - 1].score) {
            FUZZ_CHECK(entries[i].rank == entries[i - 1].rank);
        } else {
            FUZZ_CHECK(entries[i].score < entries[i - 1].score);
            FUZZ_CHECK(entries[i].rank == static_cast<int>(i) + 1);
        }
    }
    const int lastPage = fRankingLastPage(entries.size());
    for (int page = 0; page <= lastPage; ++page) {
        FUZZ_CHECK(fRankingPageFirst(page) <= fRankingPageEnd(entries.size(), page));
        FUZZ_CHECK(fRankingPageEnd(entries.size(), page) <= entries.size());
    }
    fSortByDate(entries);
    return 0;
}
