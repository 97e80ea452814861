// The scripted-input file (--input): events, or a message naming the line.
#include "FuzzCheck.h"

#include <dx/DxLib.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string error;
    if (!dx_SetInputScript(fuzzText(data, size), error)) {
        FUZZ_CHECK(error.starts_with("<script>:"));
    }
    return 0;
}
