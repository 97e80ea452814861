// A packed replay from elsewhere: checked, and unpacked into a scratch folder. Checking and unpacking must
// agree; a refused archive writes nothing, an accepted one exactly the two replay files, which the game's
// own readers then take.
#include "FuzzCheck.h"

#include "base/CArchiver.h"
#include "base/CException.h"
#include "replay/CKeyRecord.h"
#include "replay/ReplayFiles.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

std::filesystem::path& scratch() {
    static std::filesystem::path folder;
    return folder;
}

void removeScratch() {
    std::error_code ignored;
    std::filesystem::remove_all(scratch(), ignored);
}

std::size_t filesUnderScratch() {
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(scratch())) {
        count += entry.is_directory() ? 0 : 1;
    }
    return count;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/tavoni-fuzz-replay.XXXXXX";
    FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr);
    scratch() = pattern;
    std::atexit(removeScratch);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::byte> bytes = fuzzBytes(data, size);
    bool checked = true;
    try {
        CArchiver::fCheckReplayBytes(bytes, "replay");
    } catch (const CException&) {
        checked = false;
    }
    const std::string folder = scratch().string() + "/";
    bool extracted = true;
    try {
        CArchiver::fExtractBytes(bytes, "replay", folder);
    } catch (const CException&) {
        extracted = false;
    }
    FUZZ_CHECK(checked == extracted);
    if (!extracted) {
        FUZZ_CHECK(filesUnderScratch() == 0);
        return 0;
    }
    FUZZ_CHECK(filesUnderScratch() == 2);
    // The two files are what the game plays: both readers must take them.
    try {
        CKeyRecord::fFromFile(folder + kReplayKeyPath);
        fReadSeedFile(folder + kReplaySeedPath);
    } catch (const CException& failure) {
        std::fprintf(stderr, "an unpacked replay is refused: %s\n", failure.what());
        std::abort();
    }
    std::error_code ignored;
    std::filesystem::remove_all(scratch() / "dat", ignored);
    return 0;
}
