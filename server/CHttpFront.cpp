#include "CHttpFront.h"
#include "ReplayDownloadName.h"

#include "CDishPictures.h"
#include "CEntryPage.h"
#include "CRankingPage.h"
#include "PngFile.h"
#include "RandomId.h"
#include "ServerLog.h"
#include "base/FieldText.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <future>
#include <microhttpd.h>
#include <mutex>
#include <netinet/in.h>
#include <stdexcept>
#include <strings.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// A page's language: ?lang= over the browser's Accept-Language.
SPageLanguage fPageLanguage(const std::map<std::string, std::string>& form,
                            const std::string& acceptLanguage) {
    const auto lang = form.find("lang");
    return fChoosePageLanguage(lang == form.end() ? std::string_view() : lang->second, acceptLanguage);
}

constexpr int kMaxJsonLimit = 100;
// The game's list and download requests send a file the player may have left beside it as their body.
constexpr std::size_t kMaxDiscardedBodyBytes = 64 * 1024;
// Uploads waiting for their verdict, each on a thread of its own; past this an upload is "busy".
constexpr int kMaxChecksAside = 64;
// What an uploader whose name holds a blocked word is told; the word itself is only logged.
constexpr const char* kBlockedNameReason = "this name is not allowed on the ranking; enter another name";

CHttpFront::SAnswer fRefuse(int status, const std::string& reason) {
    CHttpFront::SAnswer answer;
    answer.status = status;
    answer.body = reason + "\n";
    answer.logReason = reason;
    return answer;
}

// The same for the pages people open in a browser: the reason on a page of the site's own look.
CHttpFront::SAnswer fRefusePage(int status, const std::string& reason) {
    CHttpFront::SAnswer answer = fRefuse(status, reason);
    answer.contentType = "text/html; charset=utf-8";
    answer.body = CRankingPage::fErrorHtml(status, reason);
    return answer;
}

std::string fClientAddress(MHD_Connection* connection) {
    const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    if (info == nullptr || info->client_addr == nullptr) {
        return "?";
    }
    char text[INET6_ADDRSTRLEN] = "?";
    if (info->client_addr->sa_family == AF_INET) {
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(info->client_addr)->sin_addr, text,
                  sizeof text);
    } else if (info->client_addr->sa_family == AF_INET6) {
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(info->client_addr)->sin6_addr, text,
                  sizeof text);
    }
    return text;
}

// The daemon's own messages go to the server's log, at most a few a second: under a flood of connections
// it has one for each refused or broken connection.
void fDaemonLog(void* self, const char* format, va_list arguments) {
    static std::mutex mutex;
    static std::chrono::steady_clock::time_point windowStart;
    static int inWindow = 0;
    static int leftOut = 0;
    constexpr int kLinesPerSecond = 10;
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    std::string line = text;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.pop_back();
    }
    // The daemon tells of the connections it turns away only here.
    CServerMetrics& metrics = static_cast<CHttpFront*>(self)->fMetrics();
    if (line.find("reached connection limit") != std::string::npos) {
        metrics.fConnectionRefused(CServerMetrics::EConnectionRefusal::ConnectionLimit);
    } else if (line.find("resource limit") != std::string::npos) {
        metrics.fConnectionRefused(CServerMetrics::EConnectionRefusal::OutOfFiles);
    }
    const std::lock_guard<std::mutex> lock(mutex);
    const auto now = std::chrono::steady_clock::now();
    if (now - windowStart >= std::chrono::seconds(1)) {
        if (leftOut > 0) {
            fServerLog("http: " + std::to_string(leftOut) + " more messages of the HTTP daemon left out");
        }
        windowStart = now;
        inWindow = 0;
        leftOut = 0;
    }
    if (++inWindow > kLinesPerSecond) {
        ++leftOut;
        return;
    }
    fServerLog("http: " + fLogSafe(line));
}

// The raw request target (path and query as sent) is kept before the daemon parses it: the game's queries
// are "?"-separated, which the daemon's own argument parsing does not understand.
void* fKeepTarget(void*, const char* uri, MHD_Connection* connection) {
    auto* request = new CHttpFront::SRequest;
    request->arrived = std::chrono::steady_clock::now();
    request->target = uri != nullptr ? uri : "";
    request->route = CAccessLog::fRoute(request->target);
    try {
        request->id = fRandomHex(4);
    } catch (const std::exception&) {
        request->id = "--------";
    }
    const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
    if (info != nullptr) {
        request->clock = static_cast<CRequestDeadlines::SConnection*>(info->socket_context);
    }
    return request;
}

void fRequestDone(void* self, MHD_Connection* connection, void** context, MHD_RequestTerminationCode code) {
    auto* request = static_cast<CHttpFront::SRequest*>(*context);
    if (request != nullptr) {
        auto* front = static_cast<CHttpFront*>(self);
        CAccessLog::SLine line;
        line.client = fClientAddress(connection);
        line.method = request->method;
        line.route = request->route;
        // An answer cut off on its way out counts as none.
        line.status = code == MHD_REQUEST_TERMINATED_COMPLETED_OK ? request->status : 0;
        line.bytes = request->method == "HEAD" ? 0 : request->answerBytes;
        line.microseconds = std::chrono::duration_cast<std::chrono::microseconds>(
                                std::chrono::steady_clock::now() - request->arrived)
                                .count();
        line.requestId = request->id;
        front->fAccessLog().fWrite(line);
        front->fReleaseBody(request->body.size());
        front->fDeadlines().fAnswered(request->clock);
    }
    delete request;
    *context = nullptr;
}

void fConnectionEvent(void* self, MHD_Connection* connection, void** socketContext,
                      MHD_ConnectionNotificationCode code) {
    CRequestDeadlines& deadlines = static_cast<CHttpFront*>(self)->fDeadlines();
    if (code == MHD_CONNECTION_NOTIFY_STARTED) {
        const MHD_ConnectionInfo* info =
            MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
        *socketContext = info != nullptr ? deadlines.fOpened(info->connect_fd) : nullptr;
    } else {
        deadlines.fClosed(static_cast<CRequestDeadlines::SConnection*>(*socketContext));
        *socketContext = nullptr;
    }
}

MHD_Result fSend(MHD_Connection* connection, const CHttpFront::SAnswer& answer,
                 const std::string& requestId) {
    MHD_Response* response = MHD_create_response_from_buffer(
        answer.body.size(), const_cast<char*>(answer.body.data()), MHD_RESPMEM_MUST_COPY);
    if (response == nullptr) {
        return MHD_NO;
    }
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, answer.contentType.c_str());
    MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
    MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
    MHD_add_response_header(response, "X-Request-Id", requestId.c_str());
    if (answer.contentType.starts_with("text/html")) {
        MHD_add_response_header(
            response, "Content-Security-Policy",
            "default-src 'none'; img-src 'self'; style-src 'unsafe-inline'; base-uri 'none'");
    }
    if (!answer.language.empty()) {
        // The same address answers in either language, by the request's Accept-Language.
        MHD_add_response_header(response, "Content-Language", answer.language.c_str());
        MHD_add_response_header(response, "Vary", "Accept-Language");
    }
    if (!answer.disposition.empty()) {
        MHD_add_response_header(response, "Content-Disposition", answer.disposition.c_str());
    } else if (!answer.downloadName.empty()) {
        // Only letters, digits, "-", "_" and "." reach the header: a quote or a line break in a name could
        // end the field and write headers of its own.
        std::string name = answer.downloadName;
        std::replace_if(
            name.begin(), name.end(),
            [](char c) {
                return !std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_' && c != '.';
            },
            '_');
        const std::string disposition = "attachment; filename=\"" + name + "\"";
        MHD_add_response_header(response, "Content-Disposition", disposition.c_str());
    }
    const MHD_Result result =
        MHD_queue_response(connection, static_cast<unsigned int>(answer.status), response);
    MHD_destroy_response(response);
    return result;
}

MHD_Result fAnswerConnection(void* self, MHD_Connection* connection, const char*, const char* method,
                             const char*, const char* uploadData, std::size_t* uploadSize, void** context) {
    auto* front = static_cast<CHttpFront*>(self);
    auto* request = static_cast<CHttpFront::SRequest*>(*context);
    if (request == nullptr) {
        return MHD_NO;
    }
    const std::string verb = method != nullptr ? method : "";
    std::optional<CHttpFront::SAnswer> answer;
    if (!request->started) {
        request->started = true;
        request->method = verb;
        answer = front->fBegin(verb, connection, *request);
        if (!answer) {
            return MHD_YES;
        }
    } else if (*uploadSize != 0) {
        if (request->use != CHttpFront::EBody::Upload) {
            request->discarded += *uploadSize;
            request->bodyTooLarge = request->discarded > kMaxDiscardedBodyBytes;
        } else if (!request->bodyTooLarge && !request->overBudget) {
            if (request->body.size() + *uploadSize <= kMaxUploadBytes && front->fReserveBody(*uploadSize)) {
                request->body.append(uploadData, *uploadSize);
            } else {
                (request->body.size() + *uploadSize > kMaxUploadBytes ? request->bodyTooLarge
                                                                      : request->overBudget) = true;
                front->fReleaseBody(request->body.size());
                request->body = std::string();
            }
        }
        *uploadSize = 0;
        return MHD_YES;
    }
    front->fDeadlines().fRequestIn(request->clock);
    if (!answer && request->ready) {
        answer = std::move(request->ready);
    } else if (!answer && request->use == CHttpFront::EBody::Upload && !request->checking &&
               !request->bodyTooLarge && !request->overBudget) {
        answer = front->fCheckAside(connection, verb, *request);
        if (!answer) {
            return MHD_YES; // answered when the check is done
        }
    }
    if (!answer) {
        try {
            answer = front->fRoute(verb, *request);
        } catch (const std::exception& e) {
            // The store did not answer (a database that went away): this request fails, the server goes on.
            fServerLog("[req " + request->id + "] " + e.what());
            answer =
                fRefuse(MHD_HTTP_SERVICE_UNAVAILABLE, "the ranking is not available now; try again later");
        }
    }
    if (answer->status >= 400) {
        fServerLog("[req " + request->id + "] " + std::to_string(answer->status) + " " + fLogSafe(verb, 16) +
                   " " + fLogSafe(request->target) + " from " + fClientAddress(connection) + ": " +
                   answer->logReason);
    }
    if (request->route.ends_with("?UploadRanking")) {
        front->fMetrics().fUploadAnswered(answer->status, answer->body);
    }
    request->status = answer->status;
    request->answerBytes = answer->body.size();
    return fSend(connection, *answer, request->id);
}

struct SFraming {
    std::vector<std::string> lengths;
    std::vector<std::string> encodings;
};

MHD_Result fCollectFraming(void* framing, MHD_ValueKind, const char* key, const char* value) {
    auto* found = static_cast<SFraming*>(framing);
    if (key != nullptr && value != nullptr) {
        if (strcasecmp(key, MHD_HTTP_HEADER_CONTENT_LENGTH) == 0) {
            found->lengths.emplace_back(value);
        } else if (strcasecmp(key, MHD_HTTP_HEADER_TRANSFER_ENCODING) == 0) {
            found->encodings.emplace_back(value);
        }
    }
    return MHD_YES;
}

// A body's length is told one way only; two ways that disagree are how requests get smuggled past a proxy
// in front of the server. A refusal, or nothing with the announced length and whether a body comes.
std::optional<CHttpFront::SAnswer> fCheckFraming(MHD_Connection* connection, unsigned long long& announced,
                                                 bool& hasBody) {
    SFraming framing;
    MHD_get_connection_values(connection, MHD_HEADER_KIND, &fCollectFraming, &framing);
    if (!framing.encodings.empty() && !framing.lengths.empty()) {
        return fRefuse(MHD_HTTP_BAD_REQUEST, "both Content-Length and Transfer-Encoding");
    }
    if (framing.encodings.size() > 1 ||
        (framing.encodings.size() == 1 && strcasecmp(framing.encodings[0].c_str(), "chunked") != 0)) {
        return fRefuse(MHD_HTTP_NOT_IMPLEMENTED, "only the chunked Transfer-Encoding is understood");
    }
    for (const std::string& length : framing.lengths) {
        unsigned long long value = 0;
        const auto [end, error] = std::from_chars(length.data(), length.data() + length.size(), value);
        if (error != std::errc() || end != length.data() + length.size() || length != framing.lengths[0]) {
            return fRefuse(MHD_HTTP_BAD_REQUEST, "conflicting or malformed Content-Length");
        }
        announced = value;
    }
    hasBody = !framing.encodings.empty() || announced > 0;
    return std::nullopt;
}

} // namespace

CHttpFront::CHttpFront(CRankingService& service, const SFrontOptions& options, CServerMetrics& metrics)
    : mService(service), mMetrics(metrics), mAccessLog(options.accessLog),
      mUploadMemoryBytes(options.uploadMemoryBytes), mReadOnly(options.readOnly),
      mUploadRate(options.uploadsPerHour),
      mDeadlines(std::chrono::seconds(std::max(options.requestSeconds, 1)), &metrics) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(options.port));
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (!options.bindAddress.empty() &&
        inet_pton(AF_INET, options.bindAddress.c_str(), &address.sin_addr) != 1) {
        throw std::runtime_error("\"" + options.bindAddress + "\" is not an IPv4 address");
    }
    const auto count = [](int value) { return static_cast<unsigned int>(std::max(value, 1)); };
    // epoll, not select(): the number of connections is not bound by select()'s 1,024 descriptors. The
    // daemon's own timeout closes connections that go quiet, also while an answer is being sent; the
    // deadlines close those that keep trickling.
    mDaemon = MHD_start_daemon(
        MHD_USE_EPOLL_INTERNAL_THREAD | MHD_ALLOW_SUSPEND_RESUME | MHD_USE_ERROR_LOG,
        static_cast<std::uint16_t>(options.port), nullptr, nullptr, &fAnswerConnection, this,
        // The logger first: libmicrohttpd warns about any option read before it.
        MHD_OPTION_EXTERNAL_LOGGER, &fDaemonLog, this, MHD_OPTION_THREAD_POOL_SIZE, count(options.threads),
        MHD_OPTION_SOCK_ADDR, reinterpret_cast<const sockaddr*>(&address), MHD_OPTION_URI_LOG_CALLBACK,
        &fKeepTarget, nullptr, MHD_OPTION_NOTIFY_COMPLETED, &fRequestDone, this, MHD_OPTION_NOTIFY_CONNECTION,
        &fConnectionEvent, this, MHD_OPTION_CONNECTION_TIMEOUT, count(options.requestSeconds),
        MHD_OPTION_CONNECTION_LIMIT, count(options.maxConnections), MHD_OPTION_PER_IP_CONNECTION_LIMIT,
        count(options.maxConnectionsPerAddress), MHD_OPTION_END);
    if (mDaemon == nullptr) {
        throw std::runtime_error("cannot listen on port " + std::to_string(options.port) + ": " +
                                 std::strerror(errno));
    }
    const MHD_DaemonInfo* info = MHD_get_daemon_info(mDaemon, MHD_DAEMON_INFO_BIND_PORT);
    mPort = info != nullptr ? info->port : options.port;
}

CHttpFront::~CHttpFront() {
    // The daemon may not stop while a connection is suspended: the checks under way end first (within
    // their time limit), and no new one starts.
    {
        std::unique_lock<std::mutex> lock(mAsideMutex);
        mStopping = true;
        mAsideDone.wait(lock, [this] { return mAside == 0; });
    }
    MHD_stop_daemon(mDaemon);
}

std::optional<CHttpFront::SAnswer> CHttpFront::fCheckAside(MHD_Connection* connection,
                                                           const std::string& method, SRequest& request) {
    {
        const std::lock_guard<std::mutex> lock(mAsideMutex);
        if (mStopping || mAside >= kMaxChecksAside) {
            SAnswer answer = fRefuse(MHD_HTTP_SERVICE_UNAVAILABLE, "the server is busy; try again later");
            answer.body = "UploadFailed?" + answer.logReason;
            return answer;
        }
        ++mAside;
    }
    // The thread is made first, so that failing to make one only turns the upload away; it starts its work
    // once the connection is suspended, since only a suspended connection may be resumed. It queues the
    // upload and waits for the verdict of a checker; HTTP threads never wait for a check.
    std::promise<void> suspended;
    std::thread worker;
    try {
        worker = std::thread([this, connection, method, &request, go = suspended.get_future()] {
            go.wait();
            try {
                request.ready = fRoute(method, request);
            } catch (const std::exception& e) {
                fServerLog(std::string("upload: ") + e.what());
                request.ready = fRefuse(MHD_HTTP_INTERNAL_SERVER_ERROR, "the upload could not be handled");
                request.ready->body = "UploadFailed?" + request.ready->logReason;
            }
            MHD_resume_connection(connection);
            const std::lock_guard<std::mutex> lock(mAsideMutex);
            --mAside;
            mAsideDone.notify_all();
        });
    } catch (const std::system_error& e) {
        fServerLog(std::string("upload: no thread for the check: ") + e.what());
        {
            const std::lock_guard<std::mutex> lock(mAsideMutex);
            --mAside;
            mAsideDone.notify_all();
        }
        SAnswer answer = fRefuse(MHD_HTTP_SERVICE_UNAVAILABLE, "the server is busy; try again later");
        answer.body = "UploadFailed?" + answer.logReason;
        return answer;
    }
    request.checking = true;
    MHD_suspend_connection(connection);
    suspended.set_value();
    worker.detach();
    return std::nullopt;
}

bool CHttpFront::fReserveBody(std::size_t bytes) {
    std::size_t held = mBufferedBytes.load();
    do {
        if (bytes > mUploadMemoryBytes - std::min(held, mUploadMemoryBytes)) {
            return false;
        }
    } while (!mBufferedBytes.compare_exchange_weak(held, held + bytes));
    return true;
}

void CHttpFront::fReleaseBody(std::size_t bytes) {
    mBufferedBytes -= bytes;
}

std::optional<CHttpFront::SAnswer> CHttpFront::fBegin(const std::string& method, MHD_Connection* connection,
                                                      SRequest& request) {
    unsigned long long announced = 0;
    bool hasBody = false;
    if (std::optional<SAnswer> refused = fCheckFraming(connection, announced, hasBody)) {
        return refused;
    }

    if (const char* accept = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Accept-Language")) {
        request.acceptLanguage = accept;
    }
    // Routed before the body is read: only an upload's body is kept, and only what may be kept is read.
    const std::size_t mark = request.target.find('?');
    const std::optional<std::string> path = fPercentDecode(request.target.substr(0, mark));
    const bool allowed = method == "GET" || method == "HEAD" || method == "POST";
    if (!allowed || !path) {
        return fRoute(method, request);
    }
    if (*path != kRankingScriptPath) {
        if (hasBody) {
            return fRefuse(MHD_HTTP_CONTENT_TOO_LARGE, "this request takes no body");
        }
        return std::nullopt;
    }
    std::string error;
    const std::optional<SRankingRequest> parsed =
        fParseRankingQuery(mark == std::string::npos ? "" : request.target.substr(mark + 1), error);
    if (!parsed || (parsed->action == ERankingAction::UploadRanking && method != "POST")) {
        return fRoute(method, request);
    }
    if (parsed->action != ERankingAction::UploadRanking) {
        if (announced > kMaxDiscardedBodyBytes) {
            request.bodyTooLarge = true;
            return fRefuse(MHD_HTTP_CONTENT_TOO_LARGE, "this request takes no body");
        }
        request.use = hasBody ? EBody::Discard : EBody::None;
        return std::nullopt;
    }
    if (mReadOnly) {
        return fRoute(method, request);
    }
    if (announced > kMaxUploadBytes) {
        request.bodyTooLarge = true;
        return fRoute(method, request);
    }
    if (!mService.fBlockedWord(parsed->name).empty()) {
        return fRoute(method, request); // refused there, before the body is read
    }
    if (!mUploadRate.fTake(fClientAddress(connection))) {
        mMetrics.fClientRateLimited();
        request.tooManyUploads = true;
        return fRoute(method, request);
    }
    request.use = EBody::Upload;
    return std::nullopt;
}

CHttpFront::SAnswer CHttpFront::fRoute(const std::string& method, SRequest& request) {
    const std::size_t mark = request.target.find('?');
    const std::string rawPath = request.target.substr(0, mark);
    const std::string query = mark == std::string::npos ? "" : request.target.substr(mark + 1);
    if (method != "GET" && method != "HEAD" && method != "POST") {
        return fRefuse(MHD_HTTP_METHOD_NOT_ALLOWED, "method not allowed");
    }
    const std::optional<std::string> path = fPercentDecode(rawPath);
    if (!path) {
        return fRefuse(MHD_HTTP_BAD_REQUEST, "malformed path");
    }
    if (*path == kRankingScriptPath) {
        return fRankingScript(method, query, request);
    }
    if (request.bodyTooLarge) {
        return fRefuse(MHD_HTTP_CONTENT_TOO_LARGE, "the request body is too large");
    }
    if (*path == "/" || *path == "/index.html") {
        return fWebPage(query, request.acceptLanguage);
    }
    if (*path == "/api/ranking") {
        return fJson(query);
    }
    if (*path == "/healthz") {
        return fHealth();
    }
    if (path->starts_with("/replays/")) {
        return fWebReplayFile(path->substr(std::strlen("/replays/")));
    }
    if (path->starts_with("/entry/")) {
        const std::string rest = path->substr(std::strlen("/entry/"));
        constexpr std::string_view kPicture = "/result.png";
        if (rest.ends_with(kPicture)) {
            return fResultPicture(rest.substr(0, rest.size() - kPicture.size()));
        }
        return fEntryPage(rest, query, request.acceptLanguage);
    }
    if (path->starts_with("/dishes/")) {
        return fDishPicture(path->substr(std::strlen("/dishes/")));
    }
    return fRefuse(MHD_HTTP_NOT_FOUND, "no such page");
}

CHttpFront::SAnswer CHttpFront::fRankingScript(const std::string& method, const std::string& query,
                                               SRequest& request) {
    std::string error;
    const std::optional<SRankingRequest> parsed = fParseRankingQuery(query, error);
    if (!parsed) {
        SAnswer answer = fRefuse(MHD_HTTP_BAD_REQUEST, error);
        if (query.starts_with("UploadRanking")) {
            answer.body = "UploadFailed?" + error;
        }
        return answer;
    }
    switch (parsed->action) {
    case ERankingAction::GetRankingList: {
        SAnswer answer;
        answer.body = *mService.fListReply();
        return answer;
    }
    case ERankingAction::UploadRanking: {
        if (method != "POST") {
            return fRefuse(MHD_HTTP_METHOD_NOT_ALLOWED, "an upload is a POST");
        }
        if (mReadOnly) {
            SAnswer answer = fRefuse(MHD_HTTP_SERVICE_UNAVAILABLE,
                                     "the ranking is under maintenance; uploads are closed for now");
            answer.body = "UploadFailed?" + answer.logReason;
            return answer;
        }
        if (const std::string word = mService.fBlockedWord(parsed->name); !word.empty()) {
            SAnswer answer = fRefuse(MHD_HTTP_FORBIDDEN, kBlockedNameReason);
            answer.body = "UploadFailed?" + answer.logReason;
            answer.logReason += " (it holds \"" + fLogSafe(word, 40) + "\")";
            return answer;
        }
        if (request.bodyTooLarge) {
            SAnswer answer = fRefuse(MHD_HTTP_CONTENT_TOO_LARGE, "the replay is larger than 8 MiB");
            answer.body = "UploadFailed?" + answer.logReason;
            return answer;
        }
        if (request.tooManyUploads) {
            SAnswer answer = fRefuse(MHD_HTTP_TOO_MANY_REQUESTS,
                                     "too many uploads from this address; try again in an hour");
            answer.body = "UploadFailed?" + answer.logReason;
            return answer;
        }
        if (request.overBudget) {
            SAnswer answer = fRefuse(MHD_HTTP_SERVICE_UNAVAILABLE, "the server is busy; try again later");
            answer.body = "UploadFailed?" + answer.logReason;
            return answer;
        }
        const SUploadOutcome outcome =
            mService.fUpload(parsed->name, parsed->score, request.body, request.id);
        SAnswer answer;
        answer.status = outcome.status;
        answer.body = outcome.reply;
        answer.logReason = outcome.reply;
        return answer;
    }
    case ERankingAction::DownloadReplay:
        return fReplayFile(parsed->replayId);
    }
    return fRefuse(MHD_HTTP_BAD_REQUEST, "unknown action");
}

CHttpFront::SAnswer CHttpFront::fWebPage(const std::string& query, const std::string& acceptLanguage) {
    const auto form = fParseFormQuery(query);
    if (!form) {
        return fRefusePage(MHD_HTTP_BAD_REQUEST, "malformed query");
    }
    const SPageLanguage language = fPageLanguage(*form, acceptLanguage);
    ERankingOrder order = ERankingOrder::Score;
    int page = 1;
    if (auto it = form->find("sort"); it != form->end()) {
        if (it->second == "date") {
            order = ERankingOrder::Date;
        } else if (it->second != "score") {
            return fRefusePage(MHD_HTTP_BAD_REQUEST, "sort is score or date");
        }
    }
    if (auto it = form->find("page"); it != form->end()) {
        if (!fParseDecimalInt(it->second, page) || page < 1) {
            return fRefusePage(MHD_HTTP_BAD_REQUEST, "page is a whole number from 1");
        }
    }
    CRankingStore& store = mService.fStore();
    const int total = store.fCount();
    const long long offset = static_cast<long long>(page - 1) * CRankingPage::kRowsPerPage;
    std::vector<SListedEntry> rows;
    if (offset < total) {
        rows = store.fList(order, static_cast<int>(offset), CRankingPage::kRowsPerPage);
    }
    mMetrics.fListRendered(CServerMetrics::EList::Page);
    SAnswer answer;
    answer.contentType = "text/html; charset=utf-8";
    answer.body = CRankingPage::fHtml(rows, total, page, order, language);
    answer.language = language.fTexts().code;
    return answer;
}

CHttpFront::SAnswer CHttpFront::fJson(const std::string& query) {
    const auto form = fParseFormQuery(query);
    if (!form) {
        return fRefuse(MHD_HTTP_BAD_REQUEST, "malformed query");
    }
    ERankingOrder order = ERankingOrder::Score;
    int offset = 0;
    int limit = CRankingPage::kRowsPerPage;
    if (auto it = form->find("sort"); it != form->end()) {
        if (it->second == "date") {
            order = ERankingOrder::Date;
        } else if (it->second != "score") {
            return fRefuse(MHD_HTTP_BAD_REQUEST, "sort is score or date");
        }
    }
    if (auto it = form->find("offset"); it != form->end() && !fParseDecimalInt(it->second, offset)) {
        return fRefuse(MHD_HTTP_BAD_REQUEST, "offset is a whole number from 0");
    }
    if (auto it = form->find("limit");
        it != form->end() && (!fParseDecimalInt(it->second, limit) || limit < 1 || limit > kMaxJsonLimit)) {
        return fRefuse(MHD_HTTP_BAD_REQUEST, "limit is a whole number from 1 to 100");
    }
    CRankingStore& store = mService.fStore();
    mMetrics.fListRendered(CServerMetrics::EList::Json);
    SAnswer answer;
    answer.contentType = "application/json";
    answer.body =
        CRankingPage::fJson(store.fList(order, offset, limit), store.fCount(), offset, limit, order);
    return answer;
}

CHttpFront::SAnswer CHttpFront::fReplayFile(const std::string& id) {
    if (!fIsServerReplayId(id)) {
        return fRefuse(MHD_HTTP_BAD_REQUEST, "malformed replay id");
    }
    std::optional<std::string> bytes = mService.fStore().fReplay(id);
    if (!bytes) {
        return fRefuse(MHD_HTTP_NOT_FOUND, "no such replay");
    }
    SAnswer answer;
    answer.contentType = "application/zip";
    answer.body = std::move(*bytes);
    answer.downloadName = id;
    return answer;
}

CHttpFront::SAnswer CHttpFront::fWebReplayFile(const std::string& id) {
    SAnswer answer = fReplayFile(id);
    if (answer.status != MHD_HTTP_OK) {
        return answer;
    }
    // The page's link saves the replay as NAME-SCORE.tavoni-replay, of the type the game opens; the game's
    // own download (the ranking script) stays as it always was.
    if (const std::optional<SListedEntry> entry = mService.fStore().fEntry(id)) {
        answer.contentType = "application/x-tavoni-replay";
        answer.disposition = fReplayContentDisposition(fReplayFileName(entry->name, entry->score));
    }
    return answer;
}

CHttpFront::SAnswer CHttpFront::fEntryPage(const std::string& id, const std::string& query,
                                           const std::string& acceptLanguage) {
    if (!fIsServerReplayId(id)) {
        return fRefusePage(MHD_HTTP_BAD_REQUEST, "malformed replay id");
    }
    const auto form = fParseFormQuery(query);
    if (!form) {
        return fRefusePage(MHD_HTTP_BAD_REQUEST, "malformed query");
    }
    const SPageLanguage language = fPageLanguage(*form, acceptLanguage);
    CRankingStore& store = mService.fStore();
    const std::optional<SListedEntry> entry = store.fEntry(id);
    if (!entry) {
        return fRefusePage(MHD_HTTP_NOT_FOUND, "no such entry");
    }
    // The picture is checked before the page offers it, so a damaged one is a notice, not a broken image.
    CEntryPage::EPicture picture = CEntryPage::EPicture::Missing;
    try {
        if (const std::optional<std::string> png = store.fResultPicture(id)) {
            const std::string why = fCheckPng(*png, 640, 480);
            picture = why.empty() ? CEntryPage::EPicture::Shown : CEntryPage::EPicture::Damaged;
            if (!why.empty()) {
                fServerLog("page: the result picture of " + id + " is " + why);
            }
        }
    } catch (const std::exception& e) {
        fServerLog("page: the result picture of " + id + " could not be read: " + e.what());
    }
    SAnswer answer;
    answer.contentType = "text/html; charset=utf-8";
    answer.body = CEntryPage::fHtml(*entry, picture, language);
    answer.language = language.fTexts().code;
    return answer;
}

CHttpFront::SAnswer CHttpFront::fResultPicture(const std::string& id) {
    if (!fIsServerReplayId(id)) {
        return fRefuse(MHD_HTTP_BAD_REQUEST, "malformed replay id");
    }
    std::optional<std::string> png = mService.fStore().fResultPicture(id);
    if (!png) {
        return fRefuse(MHD_HTTP_NOT_FOUND, "no result picture");
    }
    if (const std::string why = fCheckPng(*png, 640, 480); !why.empty()) {
        return fRefuse(MHD_HTTP_NOT_FOUND, "the result picture is " + why);
    }
    SAnswer answer;
    answer.contentType = "image/png";
    answer.body = std::move(*png);
    return answer;
}

CHttpFront::SAnswer CHttpFront::fDishPicture(const std::string& name) {
    // Only "0.png" to "9.png": nothing else of the game's data is served.
    const bool dish = name.size() == 5 && name[0] >= '0' && name[0] <= '9' && name.ends_with(".png");
    const std::string& png = dish ? CDishPictures::fPng(name[0] - '0') : std::string();
    if (png.empty()) {
        return fRefuse(MHD_HTTP_NOT_FOUND, "no such dish");
    }
    SAnswer answer;
    answer.contentType = "image/png";
    answer.body = png;
    return answer;
}

CHttpFront::SAnswer CHttpFront::fHealth() {
    if (!mService.fStore().fAnswers()) {
        return fRefuse(MHD_HTTP_SERVICE_UNAVAILABLE, "the store does not answer");
    }
    if (const std::string stalled = mService.fChecksStalled(); !stalled.empty()) {
        return fRefuse(MHD_HTTP_SERVICE_UNAVAILABLE, stalled);
    }
    SAnswer answer;
    answer.body = mReadOnly ? "ok, read-only\n" : "ok\n";
    return answer;
}
