// The one network operation of the game: an HTTP (or HTTPS) POST of a file's bytes, answering the reply body.
// Every exchange with the ranking server goes through it. It blocks the calling thread for the whole
// transfer, which is bounded: 5 s to connect, 30 s in all, and a reply of at most 64 MiB.
#pragma once

#include <cstddef>
#include <string>

class CCurlWrapper {
public:
    // What came back: `transferred` when an HTTP reply arrived whole (whatever its status).
    struct SExchange {
        bool transferred = false;
        long status = 0;
        std::string body;
    };
    // The environment variable naming a file of trusted certificates for https:// servers, as for the curl
    // tool; without it, the system's.
    static constexpr const char* kCaBundleEnvironment = "CURL_CA_BUNDLE";

    static constexpr long kConnectTimeoutSeconds = 5;
    static constexpr long kTransferTimeoutSeconds = 30;
    static constexpr std::size_t kMaxReplyBytes = 64u * 1024 * 1024;

    // POSTs the bytes of the file `dataFile` as the raw request body to `url` and returns the reply body
    // whole, line breaks included. Empty on any failure: no connection, a time-out, an HTTP error status, a
    // reply over kMaxReplyBytes. A data file that does not exist is sent as an empty body (the list and
    // download requests send a scratch file nobody writes).
    static std::string fPost(const std::string& url, const std::string& dataFile);
    // The same POST, answering any reply with its status. An https:// URL goes over TLS and the server's
    // certificate and name are verified; a failed verification is a failed transfer. Each failure is
    // logged with the URL and libcurl's own reason.
    static SExchange fExchange(const std::string& url, const std::string& dataFile);
};
