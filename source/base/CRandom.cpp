#include "base/CRandom.h"

#include "base/Check.h"

#include <cstdio>
#include <random>

std::unique_ptr<CRandom> gRandom;

namespace {
constexpr std::size_t kN = 624;
constexpr std::size_t kM = 397;
constexpr std::uint32_t kMatrix = 0x9908B0DFu;
constexpr std::uint32_t kUpper = 0x80000000u;
constexpr std::uint32_t kLower = 0x7FFFFFFFu;
} // namespace

CRandom::CRandom() {
    std::printf("gRandom this()\n");
    std::fflush(stdout);
    // Only the start-up generator is unpredictable; every run re-seeds with a known seed.
    std::random_device device;
    seed_ = static_cast<std::int32_t>(device());
    fSeedEngine(static_cast<std::uint32_t>(seed_));
}

CRandom::CRandom(std::int32_t seed) : seed_(seed) {
    std::printf("gRandom this(int = %d)\n", seed);
    std::fflush(stdout);
    fSeedEngine(static_cast<std::uint32_t>(seed));
}

void CRandom::fSeedEngine(std::uint32_t seed) {
    state_[0] = seed;
    for (std::size_t i = 1; i < kN; ++i) {
        const std::uint32_t previous = state_[i - 1];
        state_[i] = 1812433253u * (previous ^ (previous >> 30)) + static_cast<std::uint32_t>(i);
    }
    index_ = kN;
}

std::uint32_t CRandom::fDrawEngine() {
    if (index_ >= kN) {
        for (std::size_t i = 0; i < kN; ++i) {
            const std::uint32_t y = (state_[i] & kUpper) | (state_[(i + 1) % kN] & kLower);
            state_[i] = state_[(i + kM) % kN] ^ (y >> 1) ^ ((y & 1u) != 0 ? kMatrix : 0u);
        }
        index_ = 0;
    }
    std::uint32_t y = state_[index_++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
}

void CRandom::fRestore(std::int32_t count) {
    fSeedEngine(static_cast<std::uint32_t>(seed_));
    count_ = count;
    for (std::int32_t i = 0; i < count; ++i) {
        fDrawEngine();
    }
}

std::uint32_t CRandom::fNext() {
    ++count_;
    return fDrawEngine();
}

std::int32_t CRandom::fGetRand(std::int32_t min, std::int32_t max) {
    TAVONI_CHECK(min <= max, "base/CRandom", "fGetRand needs min <= max");
    if (min == max) {
        return min;
    }
    const std::uint32_t engineValue = fNext();
    return fMapToRange(engineValue, min, max);
}

std::int32_t CRandom::fMapToRange(std::uint32_t engineValue, std::int32_t min, std::int32_t max) {
    const auto value = static_cast<std::int32_t>(engineValue);
    // Magnitude as unsigned, so the engine value 0x80000000 gives 2^31 instead of overflowing.
    const std::uint32_t magnitude =
        value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    const std::int64_t span = static_cast<std::int64_t>(max) - min + 1;
    return static_cast<std::int32_t>(min +
                                     static_cast<std::int64_t>(magnitude % static_cast<std::uint64_t>(span)));
}
