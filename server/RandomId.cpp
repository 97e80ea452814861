#include "RandomId.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <sys/random.h>
#include <vector>

std::string fRandomHex(std::size_t bytes) {
    std::vector<unsigned char> raw(bytes);
    std::size_t got = 0;
    while (got < bytes) {
        const ssize_t n = getrandom(raw.data() + got, bytes - got, 0);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw std::runtime_error(std::string("no random bytes: ") + std::strerror(errno));
        }
        got += static_cast<std::size_t>(n);
    }
    static const char kHex[] = "0123456789abcdef";
    std::string id;
    for (const unsigned char b : raw) {
        id += kHex[b >> 4];
        id += kHex[b & 15];
    }
    return id;
}
