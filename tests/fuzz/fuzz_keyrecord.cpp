// A replay's key record from bytes: accepted only as whole frames plus a short tail, every frame readable.
#include "FuzzCheck.h"

#include "base/CException.h"
#include "replay/CKeyRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const CKeyRecord record =
            CKeyRecord::fFromBytes(std::vector<unsigned char>(data, data + size), "key");
        FUZZ_CHECK(size - record.fGetFrameCount() * CKeyRecord::kFrameBytes <= CKeyRecord::kIgnoredTailBytes);
        std::size_t down = 0;
        for (std::size_t frame = 0; frame < record.fGetFrameCount(); ++frame) {
            for (const bool key : record.fGetFrame(frame)) {
                down += key ? 1 : 0;
            }
        }
        FUZZ_CHECK(down <= record.fGetFrameCount() * CKeyRecord::kKeyCount);
    } catch (const CException&) {
        FUZZ_CHECK(size % CKeyRecord::kFrameBytes > CKeyRecord::kIgnoredTailBytes);
    }
    return 0;
}
