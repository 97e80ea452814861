// SHA-256, for recognising a replay that is uploaded again: its digest is the replay's identity.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class CSha256 {
public:
    CSha256();
    void fUpdate(std::string_view bytes);
    std::array<std::uint8_t, 32> fFinish();

    // The digest of `bytes` as 64 lowercase hexadecimal digits.
    static std::string fHex(std::string_view bytes);

private:
    void fBlock(const std::uint8_t* block);

    std::array<std::uint32_t, 8> mState;
    std::array<std::uint8_t, 64> mBuffer{};
    std::size_t mBuffered = 0;
    std::uint64_t mLength = 0;
};
