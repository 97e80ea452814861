#include "base/CStateDigest.h"

#include "base/CException.h"

#include <cstdio>
#include <cstring>
#include <openssl/evp.h>

void CStateDigest::fAddInt(std::int64_t value) {
    // Little-endian whatever the machine, so that the digest is the same everywhere.
    auto bits = static_cast<std::uint64_t>(value);
    for (int i = 0; i < 8; ++i) {
        mBytes.push_back(static_cast<unsigned char>(bits & 0xff));
        bits >>= 8;
    }
}

void CStateDigest::fAddReal(double value) {
    std::uint64_t bits = 0;
    static_assert(sizeof bits == sizeof value);
    std::memcpy(&bits, &value, sizeof bits);
    fAddInt(static_cast<std::int64_t>(bits));
}

std::uint64_t CStateDigest::fValue() const {
    unsigned char sum[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(mBytes.data(), mBytes.size(), sum, &length, EVP_sha256(), nullptr) != 1 || length < 8) {
        throw CException("the state digest cannot be computed (SHA-256 failed)");
    }
    std::uint64_t value = 0;
    for (int i = 0; i < 8; ++i) {
        value = (value << 8) | sum[i];
    }
    return value;
}

std::string CStateDigest::fHex(std::uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}
