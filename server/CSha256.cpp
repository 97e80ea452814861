#include "CSha256.h"

namespace {

constexpr std::uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr std::uint32_t fRotr(std::uint32_t x, int n) {
    return (x >> n) | (x << (32 - n));
}

} // namespace

CSha256::CSha256()
    : mState{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19} {
}

void CSha256::fBlock(const std::uint8_t* block) {
    std::uint32_t w[64];
    for (int i = 0; i < 16; ++i) {
        w[i] = (std::uint32_t{block[4 * i]} << 24) | (std::uint32_t{block[4 * i + 1]} << 16) |
               (std::uint32_t{block[4 * i + 2]} << 8) | std::uint32_t{block[4 * i + 3]};
    }
    for (int i = 16; i < 64; ++i) {
        const std::uint32_t s0 = fRotr(w[i - 15], 7) ^ fRotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
        const std::uint32_t s1 = fRotr(w[i - 2], 17) ^ fRotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    std::uint32_t a = mState[0], b = mState[1], c = mState[2], d = mState[3];
    std::uint32_t e = mState[4], f = mState[5], g = mState[6], h = mState[7];
    for (int i = 0; i < 64; ++i) {
        const std::uint32_t s1 = fRotr(e, 6) ^ fRotr(e, 11) ^ fRotr(e, 25);
        const std::uint32_t choose = (e & f) ^ (~e & g);
        const std::uint32_t t1 = h + s1 + choose + kRound[i] + w[i];
        const std::uint32_t s0 = fRotr(a, 2) ^ fRotr(a, 13) ^ fRotr(a, 22);
        const std::uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
        const std::uint32_t t2 = s0 + majority;
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    mState[0] += a;
    mState[1] += b;
    mState[2] += c;
    mState[3] += d;
    mState[4] += e;
    mState[5] += f;
    mState[6] += g;
    mState[7] += h;
}

void CSha256::fUpdate(std::string_view bytes) {
    mLength += bytes.size();
    for (const char c : bytes) {
        mBuffer[mBuffered++] = static_cast<std::uint8_t>(c);
        if (mBuffered == 64) {
            fBlock(mBuffer.data());
            mBuffered = 0;
        }
    }
}

std::array<std::uint8_t, 32> CSha256::fFinish() {
    const std::uint64_t bits = mLength * 8;
    mBuffer[mBuffered++] = 0x80;
    if (mBuffered > 56) {
        while (mBuffered < 64) {
            mBuffer[mBuffered++] = 0;
        }
        fBlock(mBuffer.data());
        mBuffered = 0;
    }
    while (mBuffered < 56) {
        mBuffer[mBuffered++] = 0;
    }
    for (int i = 7; i >= 0; --i) {
        mBuffer[mBuffered++] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
    fBlock(mBuffer.data());
    std::array<std::uint8_t, 32> digest{};
    for (int i = 0; i < 8; ++i) {
        for (int k = 0; k < 4; ++k) {
            digest[4 * i + k] = static_cast<std::uint8_t>(mState[i] >> (24 - 8 * k));
        }
    }
    return digest;
}

std::string CSha256::fHex(std::string_view bytes) {
    CSha256 hash;
    hash.fUpdate(bytes);
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (const std::uint8_t byte : hash.fFinish()) {
        text += kHex[byte >> 4];
        text += kHex[byte & 15];
    }
    return text;
}
