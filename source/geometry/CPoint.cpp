#include "geometry/CPoint.h"

#include <array>
#include <bit>
#include <cstdint>

namespace {
SCosSin fCompute(double degrees) {
    const long double r = static_cast<long double>(degrees) * 3.14159265358979323846264338327950288L / 180.0L;
    return {static_cast<double>(std::cos(r)), static_cast<double>(std::sin(r))};
}

struct SEntry {
    std::uint64_t key = 0;
    bool used = false;
    SCosSin value{};
};
} // namespace

SCosSin fCosSinDegrees(double degrees) {
    // Keyed by the exact bits, so only the very same angle is ever answered from memory.
    const auto key = std::bit_cast<std::uint64_t>(degrees);
    thread_local std::array<SEntry, 512> cache{};
    SEntry& entry = cache[(key ^ (key >> 29) ^ (key >> 47)) % cache.size()];
    if (!entry.used || entry.key != key) {
        entry = {key, true, fCompute(degrees)};
    }
    return entry.value;
}
