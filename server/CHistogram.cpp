#include "CHistogram.h"

#include <algorithm>

CHistogram::CHistogram(std::vector<double> bounds)
    : mBounds(std::move(bounds)),
      mCounts(std::make_unique<std::atomic<std::uint64_t>[]>(mBounds.size() + 1)) {}

void CHistogram::fObserve(double value) {
    // The first bound at or above the value: Prometheus' buckets hold what is less than or equal to `le`.
    const auto bucket = std::lower_bound(mBounds.begin(), mBounds.end(), value) - mBounds.begin();
    mCounts[static_cast<std::size_t>(bucket)].fetch_add(1, std::memory_order_relaxed);
    mSum.fetch_add(value, std::memory_order_relaxed);
}

std::vector<std::uint64_t> CHistogram::fCumulative() const {
    std::vector<std::uint64_t> cumulative(mBounds.size() + 1);
    std::uint64_t total = 0;
    for (std::size_t i = 0; i < cumulative.size(); ++i) {
        total += mCounts[i].load(std::memory_order_relaxed);
        cumulative[i] = total;
    }
    return cumulative;
}
