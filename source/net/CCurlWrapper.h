// The one network operation of the game: an HTTP POST of a file's bytes, answering the reply body. Every
// exchange with the ranking server goes through it. It blocks the calling thread for the whole transfer,
// which is bounded: 5 s to connect, 30 s in all, and a reply of at most 64 MiB.
#pragma once

#include <cstddef>
#include <string>

class CCurlWrapper {
public:
    static constexpr long kConnectTimeoutSeconds = 5;
    static constexpr long kTransferTimeoutSeconds = 30;
    static constexpr std::size_t kMaxReplyBytes = 64u * 1024 * 1024;

    // POSTs the bytes of the file `dataFile` as the raw request body to `url` and returns the reply body
    // whole, line breaks included. Empty on any failure: no connection, a time-out, an HTTP error status, a
    // reply over kMaxReplyBytes. A data file that does not exist is sent as an empty body (the list and
    // download requests send a scratch file nobody writes).
    static std::string fPost(const std::string& url, const std::string& dataFile);
};
