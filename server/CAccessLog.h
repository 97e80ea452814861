// One line per request on the players' port: time, client address, method, route, status, bytes sent,
// microseconds and request id, e.g.
//   2026-05-01T12:00:00.123Z 203.0.113.7 GET /entry/{id} 200 5120 1834 1a2b3c4d
// The route is the request's pattern (ids and queries left out); only a path the server does not serve is
// shown as sent, escaped and cut short. A request that got no answer shows "-" for status and bytes. The
// lines go to a file of their own (--access-log FILE, opened again on SIGHUP for log rotation) or else, with
// "access" before them, to the server's log.
#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>

class CAccessLog {
public:
    struct SLine {
        std::string client;
        std::string method;
        std::string route;
        int status = 0;          // 0: no answer went out
        std::uint64_t bytes = 0; // the answer's body
        std::int64_t microseconds = 0;
        std::string requestId;
    };

    // `file` empty: the server's log. Throws std::runtime_error when the file cannot be opened.
    explicit CAccessLog(std::filesystem::path file);
    ~CAccessLog();
    CAccessLog(const CAccessLog&) = delete;
    CAccessLog& operator=(const CAccessLog&) = delete;

    void fWrite(const SLine& line);
    // Opens the file again (after a log rotation moved it); keeps the old one when it cannot.
    void fReopen();

    // The request's route for the log: its pattern, or the unknown path escaped and cut short.
    static std::string fRoute(const std::string& target);

private:
    const std::filesystem::path mFile;
    std::mutex mMutex;
    int mFd = -1;
};
