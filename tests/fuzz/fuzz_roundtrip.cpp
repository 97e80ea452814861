// The ranking protocol both ways: what the game encodes in its requests, the server decodes to the same
// name, score and replay id; the list the server writes, the game reads back entry for entry.
#include "FuzzCheck.h"

#include "RankingProtocol.h"
#include "net/RankingClient.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

const std::string kServer = "localhost:8103";

// The query the server takes from a URL the game requests.
std::string_view queryOf(const std::string& url) {
    const std::string prefix = "http://" + kServer + kRankingScriptPath + "?";
    FUZZ_CHECK(url.starts_with(prefix));
    return std::string_view(url).substr(prefix.size());
}

std::string serverReplayId(FuzzedDataProvider& input) {
    static const char kHex[] = "0123456789abcdef";
    std::string id;
    for (int i = 0; i < 32; ++i) {
        id += kHex[input.ConsumeIntegralInRange(0, 15)];
    }
    return id;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);

    // Any text percent-encoded by the game decodes to itself on the server.
    const std::string text = input.ConsumeRandomLengthString(64);
    const std::optional<std::string> decoded = fPercentDecode(fPercentEncode(text));
    FUZZ_CHECK(decoded && *decoded == text);

    // An upload: taken exactly when the name and score are ones the server keeps, and then unchanged.
    const std::string name = input.ConsumeRandomLengthString(16);
    const int score = input.ConsumeIntegral<int>();
    std::string error;
    const auto upload = fParseRankingQuery(queryOf(fUploadRankingUrl(kServer, name, score)), error);
    const bool valid = fCheckPlayerName(name).empty() && score >= 1;
    FUZZ_CHECK(upload.has_value() == valid);
    if (upload) {
        FUZZ_CHECK(upload->action == ERankingAction::UploadRanking);
        FUZZ_CHECK(upload->name == name && upload->score == score);
    }

    // A download of one of the server's replays.
    const std::string id = serverReplayId(input);
    const auto download = fParseRankingQuery(queryOf(fDownloadReplayUrl(kServer, id)), error);
    FUZZ_CHECK(download && download->action == ERankingAction::DownloadReplay && download->replayId == id);
    const auto list = fParseRankingQuery(queryOf(fRankingListUrl(kServer)), error);
    FUZZ_CHECK(list && list->action == ERankingAction::GetRankingList);

    // The list reply: entries as the server keeps them (names it accepted, scores from 0).
    std::vector<SListedEntry> entries;
    while (input.remaining_bytes() > 0 && entries.size() < 20) {
        SListedEntry entry;
        entry.name = input.ConsumeRandomLengthString(16);
        if (!fCheckPlayerName(entry.name).empty()) {
            continue;
        }
        entry.score = input.ConsumeIntegralInRange(0, 2147483647);
        entry.id = serverReplayId(input);
        entry.registeredAt = input.ConsumeIntegral<std::int64_t>();
        entries.push_back(entry);
    }
    const std::string reply = fFormatRankingList(entries);
    FUZZ_CHECK(fFirstLineHasFourFields(reply) == !entries.empty());
    const std::vector<SRankingData> read = fParseRankingList(reply);
    FUZZ_CHECK(read.size() == entries.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        FUZZ_CHECK(read[i].name == entries[i].name);
        FUZZ_CHECK(read[i].score == entries[i].score);
        FUZZ_CHECK(read[i].replayId == entries[i].id);
        FUZZ_CHECK(read[i].registeredAt == fFormatRegisteredAt(entries[i].registeredAt));
    }
    return 0;
}
