// A 64-bit digest of a run's state, for telling whether two builds (or two ways of running one build) play
// a replay alike, and from which frame they part. Values go in as their exact bytes (a double by its bit
// pattern, so 0.1 + 0.2 and 0.3 differ as they would in play); the digest is the first 8 bytes of their
// SHA-256, read big-endian.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CStateDigest {
public:
    void fAddInt(std::int64_t value);
    void fAddReal(double value);
    void fAddFlag(bool value) { fAddInt(value ? 1 : 0); }
    // A count first, so that [1][2,3] and [1,2][3] differ.
    void fAddCount(std::size_t count) { fAddInt(static_cast<std::int64_t>(count)); }

    std::uint64_t fValue() const;
    // 16 lower-case hex digits.
    static std::string fHex(std::uint64_t value);

private:
    std::vector<unsigned char> mBytes;
};
