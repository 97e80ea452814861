#include "ServerLog.h"

#include <cstdio>
#include <ctime>
#include <mutex>

void fServerLog(const std::string& line) {
    static std::mutex mutex;
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &utc);
    const std::lock_guard<std::mutex> lock(mutex);
    std::fprintf(stderr, "%s %s\n", stamp, line.c_str());
    std::fflush(stderr);
}

std::string fLogSafe(std::string_view text, std::size_t limit) {
    std::string out;
    for (const char c : text.substr(0, limit)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f && byte != '\\') {
            out += c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            out += escaped;
        }
    }
    if (text.size() > limit) {
        out += "...";
    }
    return out;
}
