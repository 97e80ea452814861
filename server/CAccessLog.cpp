#include "CAccessLog.h"

#include "RankingProtocol.h"
#include "ServerLog.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <optional>
#include <stdexcept>
#include <unistd.h>

namespace {

constexpr std::size_t kUnknownPathBytes = 64;

int fOpen(const std::filesystem::path& file) {
    return ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0640);
}

std::string fUtcNow() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char stamp[40];
    const std::size_t length = std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", &utc);
    std::snprintf(stamp + length, sizeof stamp - length, ".%03dZ", static_cast<int>(millis));
    return stamp;
}

// A field of the line: never empty, never with a space in it.
std::string fField(std::string_view text, std::size_t limit) {
    if (text.empty()) {
        return "-";
    }
    std::string safe = fLogSafe(text, limit);
    for (std::size_t at = safe.find(' '); at != std::string::npos; at = safe.find(' ', at)) {
        safe.replace(at, 1, "\\x20");
    }
    return safe;
}

} // namespace

CAccessLog::CAccessLog(std::filesystem::path file) : mFile(std::move(file)) {
    if (!mFile.empty()) {
        mFd = fOpen(mFile);
        if (mFd < 0) {
            throw std::runtime_error("cannot open the access log " + mFile.string() + ": " +
                                     std::strerror(errno));
        }
    }
}

CAccessLog::~CAccessLog() {
    if (mFd >= 0) {
        ::close(mFd);
    }
}

void CAccessLog::fReopen() {
    if (mFile.empty()) {
        return;
    }
    const int fd = fOpen(mFile);
    if (fd < 0) {
        fServerLog("cannot open the access log " + mFile.string() + " again: " + std::strerror(errno));
        return;
    }
    const std::lock_guard<std::mutex> lock(mMutex);
    ::close(mFd);
    mFd = fd;
}

std::string CAccessLog::fRoute(const std::string& target) {
    const std::size_t mark = target.find('?');
    const std::string rawPath = target.substr(0, mark);
    const std::optional<std::string> decoded = fPercentDecode(rawPath);
    const std::string path = decoded.value_or("");
    if (path == kRankingScriptPath) {
        // The game's action is one of a few words; anything else is shown as the script alone.
        const std::string_view query =
            mark == std::string::npos ? "" : std::string_view(target).substr(mark + 1);
        for (const char* action : {"GetRankingList", "UploadRanking", "DownloadReplay"}) {
            const std::string_view word = action;
            if (query.starts_with(word) && (query.size() == word.size() || query[word.size()] == '?')) {
                return std::string(kRankingScriptPath) + "?" + action;
            }
        }
        return kRankingScriptPath;
    }
    if (path == "/" || path == "/index.html" || path == "/api/ranking" || path == "/healthz") {
        return path;
    }
    if (path.starts_with("/replays/")) {
        return "/replays/{id}";
    }
    if (path.starts_with("/entry/")) {
        return path.ends_with("/result.png") ? "/entry/{id}/result.png" : "/entry/{id}";
    }
    if (path.starts_with("/dishes/")) {
        return "/dishes/{n}.png";
    }
    return fField(rawPath, kUnknownPathBytes);
}

void CAccessLog::fWrite(const SLine& line) {
    std::string text = fField(line.client, 64) + " " + fField(line.method, 16) + " " +
                       fField(line.route, 128) + " " + (line.status > 0 ? std::to_string(line.status) : "-") +
                       " " + (line.status > 0 ? std::to_string(line.bytes) : "-") + " " +
                       std::to_string(line.microseconds) + " " + fField(line.requestId, 16);
    if (mFile.empty()) {
        fServerLog("access " + text);
        return;
    }
    text = fUtcNow() + " " + text + "\n";
    const std::lock_guard<std::mutex> lock(mMutex);
    // One write per line: with O_APPEND the lines of several threads never mix.
    if (::write(mFd, text.data(), text.size()) < 0) {
        static std::atomic<bool> told{false};
        if (!told.exchange(true)) {
            fServerLog(std::string("cannot write the access log: ") + std::strerror(errno));
        }
    }
}
