// The HTTP side of the server, on libmicrohttpd with a pool of threads polling with epoll: the game's three
// requests at "/cgi-bin/tavoni103/ranking.cgi", the web page at "/", each entry's page at "/entry/<id>" with
// its result picture at "/entry/<id>/result.png" and the dish pictures at "/dishes/<n>.png", the JSON at
// "/api/ranking" and the replay files at "/replays/<id>", and "/healthz" for load balancers. Requests it
// cannot serve get a 4xx status with a one-line reason and a log line. One client cannot starve the others:
// it may hold only so many connections, each must bring in its request within a time limit, only an upload's
// body is read into memory, uploads are rationed per client address, and an upload waits for its check's
// verdict on a thread of its own while its connection waits aside.
#pragma once

#include "CAccessLog.h"
#include "CRankingService.h"
#include "CRequestDeadlines.h"
#include "CServerMetrics.h"
#include "CUploadRate.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>

struct MHD_Daemon;
struct MHD_Connection;

struct SFrontOptions {
    std::string bindAddress; // IPv4 address to listen on; empty: every address
    int port = 8103;         // 0: any free port (see fPort)
    int threads = 4;
    // Upload bodies wait in memory for their check; all of them together stay within this.
    std::size_t uploadMemoryBytes = 256u * 1024 * 1024;
    int maxConnections = 4096;
    int maxConnectionsPerAddress = 16;
    int requestSeconds = 30;         // headers and body of a request must be in within this
    int uploadsPerHour = 30;         // from one client address
    bool readOnly = false;           // maintenance: uploads are refused, everything else is served
    std::filesystem::path accessLog; // one line per request there; empty: in the server's log
};

class CHttpFront {
public:
    // Starts listening; throws std::runtime_error when it cannot.
    CHttpFront(CRankingService& service, const SFrontOptions& options, CServerMetrics& metrics);
    ~CHttpFront();
    CHttpFront(const CHttpFront&) = delete;
    CHttpFront& operator=(const CHttpFront&) = delete;

    int fPort() const { return mPort; }

    // What is answered to a request.
    struct SAnswer {
        int status = 200;
        std::string body;
        std::string contentType = "text/plain; charset=utf-8";
        std::string downloadName;
        std::string disposition; // a whole Content-Disposition, in place of one made of downloadName
        std::string logReason;   // why a request was refused, for the log
        std::string language;    // a page's language ("ja", "en"), sent as Content-Language
    };
    // What a request's body is for, decided from its headers before any of it is read.
    enum class EBody {
        None,    // no body was announced
        Upload,  // an upload's replay: kept, within the upload memory
        Discard, // the game's list and download requests may carry a small one; it is read and dropped
    };
    // One request as it arrives (raw target and body), and what is answered; used by the daemon's callbacks.
    struct SRequest {
        std::string target;
        std::string id;    // names the request in the log lines of this node and of the checker
        std::string route; // its pattern, for the access log
        std::string method;
        std::chrono::steady_clock::time_point arrived;
        int status = 0; // of the answer queued; 0: none yet
        std::size_t answerBytes = 0;
        std::string body;
        std::string acceptLanguage; // the Accept-Language header: which language the pages are in
        CRequestDeadlines::SConnection* clock = nullptr;
        EBody use = EBody::None;
        std::size_t discarded = 0;
        bool started = false;
        bool bodyTooLarge = false;
        bool overBudget = false;
        bool tooManyUploads = false;
        bool checking = false;        // its check runs aside, the connection suspended
        std::optional<SAnswer> ready; // the answer once the check is done
    };
    // Called once the headers are in: an answer when the request is refused before its body is read.
    std::optional<SAnswer> fBegin(const std::string& method, MHD_Connection* connection, SRequest& request);
    SAnswer fRoute(const std::string& method, SRequest& request);
    // Suspends the connection of a complete upload and has its check done on a thread of its own, which
    // resumes the connection with the answer in `request.ready`. Returns an answer instead, suspending
    // nothing, when the server is stopping or too many checks are waiting already.
    std::optional<SAnswer> fCheckAside(MHD_Connection* connection, const std::string& method,
                                       SRequest& request);
    // Takes `bytes` more of the upload memory; false (nothing taken) when that would pass the limit.
    bool fReserveBody(std::size_t bytes);
    void fReleaseBody(std::size_t bytes);
    CRequestDeadlines& fDeadlines() { return mDeadlines; }
    CServerMetrics& fMetrics() { return mMetrics; }
    CAccessLog& fAccessLog() { return mAccessLog; }

private:
    SAnswer fRankingScript(const std::string& method, const std::string& query, SRequest& request);
    SAnswer fWebPage(const std::string& query, const std::string& acceptLanguage);
    SAnswer fJson(const std::string& query);
    SAnswer fReplayFile(const std::string& id);
    // The same for the web page's link: saved under the player's name and score.
    SAnswer fWebReplayFile(const std::string& id);
    SAnswer fEntryPage(const std::string& id, const std::string& query, const std::string& acceptLanguage);
    SAnswer fResultPicture(const std::string& id);
    SAnswer fDishPicture(const std::string& name);
    SAnswer fHealth();

    CRankingService& mService;
    CServerMetrics& mMetrics;
    CAccessLog mAccessLog;
    MHD_Daemon* mDaemon = nullptr;
    int mPort = 0;
    std::size_t mUploadMemoryBytes = 0;
    bool mReadOnly = false;
    std::atomic<std::size_t> mBufferedBytes{0};
    CUploadRate mUploadRate;
    CRequestDeadlines mDeadlines;
    std::mutex mAsideMutex;
    std::condition_variable mAsideDone;
    int mAside = 0; // checks running or waiting for a turn
    bool mStopping = false;
};
