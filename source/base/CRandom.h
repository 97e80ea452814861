// The game's one random generator. Its output is fully determined by a 32-bit seed, which is what lets a
// replay (inputs plus seed) reproduce its run: the engine is MT19937 and every draw order matters.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

class CRandom {
public:
    // An unpredictable seed (start-up, before any run). Prints "gRandom this()".
    CRandom();
    // Prints "gRandom this(int = <seed>)".
    explicit CRandom(std::int32_t seed);
    virtual ~CRandom() = default;

    virtual std::int32_t fGetCount() const { return count_; }
    // Back to the state after `count` draws from the seed.
    virtual void fRestore(std::int32_t count);
    virtual std::int32_t fGetSeed() const { return seed_; }
    // The next engine output; counts as one draw.
    virtual std::uint32_t fNext();
    // A value in [min, max]: min + (|v| mod (max - min + 1)) with v the next output read as signed.
    // min == max draws nothing. min > max is a programming error.
    virtual std::int32_t fGetRand(std::int32_t min, std::int32_t max);

    // The mapping fGetRand applies to one engine output (min < max).
    static std::int32_t fMapToRange(std::uint32_t engineValue, std::int32_t min, std::int32_t max);

private:
    void fSeedEngine(std::uint32_t seed);
    std::uint32_t fDrawEngine();

    std::array<std::uint32_t, 624> state_{};
    std::size_t index_ = 624;
    std::int32_t seed_ = 0;
    std::int32_t count_ = 0;
};

extern std::unique_ptr<CRandom> gRandom;
