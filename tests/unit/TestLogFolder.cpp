// Unit tests run in the checkout; the warnings they provoke on purpose (damaged files) must not leave log
// files there, so the logs of the whole test run go to a temporary folder instead.
#include "base/Log.h"

#include <filesystem>
#include <string>
#include <unistd.h>

namespace {
struct SLogFolderForTests {
    SLogFolderForTests() {
        const auto dir =
            std::filesystem::temp_directory_path() / ("tavoni_test_logs_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        fSetLogFolder(dir.string());
    }
    ~SLogFolderForTests() {
        std::error_code ec;
        std::filesystem::remove_all(fGetLogFolder(), ec);
    }
};
const SLogFolderForTests gTestLogFolder;
} // namespace
