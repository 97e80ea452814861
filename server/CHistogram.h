// A histogram of durations as Prometheus keeps them: a count per bucket, their sum and their number. An
// observation touches two atomics and no lock, so the hot path stays cheap.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class CHistogram {
public:
    // `bounds`: the buckets' upper bounds, ascending; a last bucket (+Inf) takes the rest.
    explicit CHistogram(std::vector<double> bounds);

    void fObserve(double value);

    const std::vector<double>& fBounds() const { return mBounds; }
    // The buckets counted up to each bound, +Inf last; the last is the number of observations.
    std::vector<std::uint64_t> fCumulative() const;
    double fSum() const { return mSum.load(std::memory_order_relaxed); }

private:
    const std::vector<double> mBounds;
    std::unique_ptr<std::atomic<std::uint64_t>[]> mCounts; // one more than the bounds
    std::atomic<double> mSum{0};
};
