// The upload reply: success only as "UploadSuccess?<rank>" with a rank from 1.
#include "FuzzCheck.h"

#include "net/RankingClient.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string reply = fuzzText(data, size);
    const SUploadResult result = fParseUploadReply(reply);
    if (result.ok) {
        FUZZ_CHECK(result.rank >= 1);
        FUZZ_CHECK(reply.starts_with("UploadSuccess?"));
    } else {
        FUZZ_CHECK(result.rank == 0);
    }
    return 0;
}
