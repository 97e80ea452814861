#include "CMetricsFront.h"

#include "base/FieldText.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <microhttpd.h>
#include <netinet/in.h>
#include <stdexcept>

namespace {

constexpr unsigned int kMaxConnections = 16;
constexpr unsigned int kTimeoutSeconds = 10;

bool fParseBind(const std::string& bind, sockaddr_in& address) {
    const std::size_t colon = bind.rfind(':');
    int port = -1;
    if (colon == std::string::npos || !fParseDecimalInt(std::string_view(bind).substr(colon + 1), port) ||
        port < 0 || port > 65535) {
        return false;
    }
    address = sockaddr_in{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    return inet_pton(AF_INET, bind.substr(0, colon).c_str(), &address.sin_addr) == 1;
}

MHD_Result fAnswer(void* self, MHD_Connection* connection, const char* url, const char* method, const char*,
                   const char*, std::size_t* uploadSize, void** context) {
    // The first call has only the headers; the answer goes with the second, and a body is never read.
    if (*context == nullptr) {
        *context = self;
        return MHD_YES;
    }
    if (*uploadSize != 0) {
        *uploadSize = 0;
        return MHD_YES;
    }
    const std::string_view verb = method != nullptr ? method : "";
    unsigned int status = MHD_HTTP_OK;
    std::string body;
    const char* type = "text/plain; charset=utf-8";
    if (verb != "GET" && verb != "HEAD") {
        status = MHD_HTTP_METHOD_NOT_ALLOWED;
        body = "method not allowed\n";
    } else if (std::string_view(url != nullptr ? url : "") != "/metrics") {
        status = MHD_HTTP_NOT_FOUND;
        body = "the metrics are at /metrics\n";
    } else {
        body = static_cast<const CMetricsFront*>(self)->fMetrics().fExposition();
        type = "text/plain; version=0.0.4; charset=utf-8";
    }
    MHD_Response* response = MHD_create_response_from_buffer(body.size(), body.data(), MHD_RESPMEM_MUST_COPY);
    if (response == nullptr) {
        return MHD_NO;
    }
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, type);
    MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
    const MHD_Result result = MHD_queue_response(connection, status, response);
    MHD_destroy_response(response);
    return result;
}

} // namespace

bool CMetricsFront::fValidBind(const std::string& bind) {
    sockaddr_in address{};
    return fParseBind(bind, address);
}

CMetricsFront::CMetricsFront(const CServerMetrics& metrics, const std::string& bind) : mMetrics(metrics) {
    sockaddr_in address{};
    if (!fParseBind(bind, address)) {
        throw std::runtime_error("--metrics-bind needs IPV4-ADDRESS:PORT, not \"" + bind + "\"");
    }
    mDaemon = MHD_start_daemon(
        MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL, ntohs(address.sin_port), nullptr, nullptr, &fAnswer,
        this, MHD_OPTION_SOCK_ADDR, reinterpret_cast<const sockaddr*>(&address), MHD_OPTION_CONNECTION_LIMIT,
        kMaxConnections, MHD_OPTION_CONNECTION_TIMEOUT, kTimeoutSeconds, MHD_OPTION_END);
    if (mDaemon == nullptr) {
        throw std::runtime_error("cannot listen for metrics on " + bind + ": " + std::strerror(errno));
    }
    const MHD_DaemonInfo* info = MHD_get_daemon_info(mDaemon, MHD_DAEMON_INFO_BIND_PORT);
    mPort = info != nullptr ? info->port : ntohs(address.sin_port);
}

CMetricsFront::~CMetricsFront() {
    MHD_stop_daemon(mDaemon);
}
