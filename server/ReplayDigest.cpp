#include "ReplayDigest.h"

#include <openssl/evp.h>
#include <stdexcept>

std::string fReplayDigest(std::string_view replay) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(replay.data(), replay.size(), digest, &length, EVP_sha256(), nullptr) != 1) {
        throw std::runtime_error("the replay's digest could not be computed");
    }
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * length);
    for (unsigned int i = 0; i < length; ++i) {
        hex += kHex[digest[i] >> 4];
        hex += kHex[digest[i] & 0x0f];
    }
    return hex;
}
