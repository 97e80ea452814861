#include "base/Log.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {
// A function-local static, so it is ready even when set during another file's static initialisation.
std::string& fLogFolder() {
    static std::string folder;
    return folder;
}
} // namespace

void fSetLogFolder(const std::string& folder) {
    fLogFolder() = folder;
}
const std::string& fGetLogFolder() {
    return fLogFolder();
}

std::string fWriteLog(const std::string& message, int channel) {
    if (channel != 0) {
        return {};
    }
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
    // Two messages in the same millisecond would otherwise overwrite each other.
    const std::string folder = fLogFolder().empty() ? std::string() : fLogFolder() + "/";
    std::string name = folder + std::to_string(ms) + ".log";
    while (std::filesystem::exists(name)) {
        name = folder + std::to_string(++ms) + ".log";
    }
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    if (!out) {
        std::fprintf(stderr, "cannot write the log file %s\n", name.c_str());
        return {};
    }
    out << message;
    return name;
}

void fLogWarning(const std::string& message) {
    std::fprintf(stderr, "warning: %s\n", message.c_str());
    std::fflush(stderr);
    // Also kept in a log file beside the game, where a player can find it later.
    fWriteLog("warning: " + message, 0);
}
