// config.dat: three name=value lines, or a message naming the file.
#include "FuzzCheck.h"

#include "GameMain/GameConfig.h"

#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(fuzzText(data, size));
    try {
        fParseConfig(in, "config.dat");
    } catch (const SConfigError& error) {
        FUZZ_CHECK(error.message.starts_with("config.dat: line "));
    }
    return 0;
}
