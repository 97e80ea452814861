// A request target as the ranking server splits it: the percent-decoded path, the game's "?"-separated
// query and the web page's form query.
#include "FuzzCheck.h"

#include "RankingProtocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string target = fuzzText(data, size);
    const std::size_t mark = target.find('?');
    const std::string_view query = mark == std::string::npos ? "" : std::string_view(target).substr(mark + 1);
    if (const std::optional<std::string> path = fPercentDecode(std::string_view(target).substr(0, mark))) {
        FUZZ_CHECK(path->size() <= mark || mark == std::string::npos);
    }
    std::string error;
    if (const std::optional<SRankingRequest> request = fParseRankingQuery(query, error)) {
        switch (request->action) {
        case ERankingAction::GetRankingList:
            break;
        case ERankingAction::UploadRanking:
            FUZZ_CHECK(fCheckPlayerName(request->name).empty());
            FUZZ_CHECK(request->score >= 1);
            break;
        case ERankingAction::DownloadReplay:
            FUZZ_CHECK(fIsServerReplayId(request->replayId));
            break;
        }
    } else {
        FUZZ_CHECK(!error.empty());
    }
    fParseFormQuery(query);
    return 0;
}
