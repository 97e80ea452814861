#include "GameMain/GameLog.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

std::string fWriteLog(const std::string& message, int channel) {
    if (channel != 0) {
        return {};
    }
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
    // Two messages in the same millisecond would otherwise overwrite each other.
    std::string name = std::to_string(ms) + ".log";
    while (std::filesystem::exists(name)) {
        name = std::to_string(++ms) + ".log";
    }
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    if (!out) {
        std::fprintf(stderr, "cannot write the log file %s\n", name.c_str());
        return {};
    }
    out << message;
    return name;
}
