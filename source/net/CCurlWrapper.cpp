#include "net/CCurlWrapper.h"

#include "base/Log.h"

#include <cstdio>
#include <cstdlib>
#include <curl/curl.h>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <vector>

namespace {

struct SReply {
    std::string body;
    bool tooLarge = false;
};

std::size_t fAppendReply(char* data, std::size_t size, std::size_t count, void* user) {
    auto* reply = static_cast<SReply*>(user);
    const std::size_t bytes = size * count;
    if (bytes > CCurlWrapper::kMaxReplyBytes - reply->body.size()) {
        reply->tooLarge = true;
        return 0; // aborts the transfer
    }
    reply->body.append(data, bytes);
    return bytes;
}

// libcurl's global set-up is not thread-safe; do it once, before the first handle.
void fInitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct SCurlCleanup {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct SSlistCleanup {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

} // namespace

CCurlWrapper::SExchange CCurlWrapper::fExchange(const std::string& url, const std::string& dataFile) {
    std::vector<char> body;
    {
        std::ifstream in(dataFile, std::ios::binary);
        if (in) {
            body.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    }

    fInitCurlOnce();
    std::unique_ptr<CURL, SCurlCleanup> curl(curl_easy_init());
    if (curl == nullptr) {
        fLogWarning("ranking: " + url + ": the HTTP client could not start");
        return {};
    }
    // Without "Expect:" libcurl would wait up to a second for a "100 Continue" before sending a large body.
    std::unique_ptr<curl_slist, SSlistCleanup> headers(curl_slist_append(nullptr, "Expect:"));
    SReply reply;
    char reason[CURL_ERROR_SIZE] = "";
    CURL* h = curl.get();
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_POST, 1L);
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, body.empty() ? "" : body.data());
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_TIMEOUT, kTransferTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxReplyBytes));
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, fAppendReply);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &reply);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, reason);
    // Lists and replays must not be altered on the way: the certificate and the host name are checked.
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    const char* caBundle = std::getenv(kCaBundleEnvironment);
    if (caBundle != nullptr && *caBundle != '\0') {
        curl_easy_setopt(h, CURLOPT_CAINFO, caBundle);
    }

    const CURLcode result = curl_easy_perform(h);
    if (result != CURLE_OK) {
        const std::string why = reply.tooLarge      ? std::string("the reply is larger than 64 MiB")
                                : reason[0] != '\0' ? std::string(reason)
                                                    : std::string(curl_easy_strerror(result));
        fLogWarning("ranking: " + url + ": " + why);
        return {};
    }
    SExchange exchange;
    exchange.transferred = true;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &exchange.status);
    exchange.body = std::move(reply.body);
    return exchange;
}

std::string CCurlWrapper::fPost(const std::string& url, const std::string& dataFile) {
    SExchange exchange = fExchange(url, dataFile);
    if (!exchange.transferred) {
        return {};
    }
    if (exchange.status < 200 || exchange.status >= 300) {
        fLogWarning("ranking: " + url + ": the server answered HTTP " + std::to_string(exchange.status));
        return {};
    }
    return std::move(exchange.body);
}
