// At most so many uploads an hour from one client address. Each address has a bucket holding that many
// turns, refilled evenly over the hour; an upload takes a turn. Addresses whose bucket is full again are
// forgotten, so the table holds only those that uploaded within the last hour.
#pragma once

#include <chrono>
#include <mutex>
#include <string>
#include <unordered_map>

class CUploadRate {
public:
    using SClock = std::chrono::steady_clock;

    explicit CUploadRate(int perHour);
    // Takes a turn for `address`; false (nothing taken) when it has none left.
    bool fTake(const std::string& address, SClock::time_point now = SClock::now());

private:
    struct SBucket {
        double turns = 0;
        SClock::time_point at;
    };
    double fRefilled(const SBucket& bucket, SClock::time_point now) const;

    const double mPerHour;
    std::mutex mMutex;
    std::unordered_map<std::string, SBucket> mBuckets;
    SClock::time_point mLastPrune;
};
