#include "CUploadRate.h"

#include <algorithm>

namespace {

constexpr std::chrono::seconds kPruneEvery{60};

} // namespace

CUploadRate::CUploadRate(int perHour) : mPerHour(std::max(perHour, 1)), mLastPrune(SClock::now()) {}

double CUploadRate::fRefilled(const SBucket& bucket, SClock::time_point now) const {
    const double hours = std::chrono::duration<double>(now - bucket.at).count() / 3600.0;
    return std::min(mPerHour, bucket.turns + hours * mPerHour);
}

bool CUploadRate::fTake(const std::string& address, SClock::time_point now) {
    const std::lock_guard<std::mutex> lock(mMutex);
    if (now - mLastPrune >= kPruneEvery) {
        mLastPrune = now;
        std::erase_if(mBuckets, [&](const auto& entry) { return fRefilled(entry.second, now) >= mPerHour; });
    }
    SBucket& bucket = mBuckets.try_emplace(address, SBucket{mPerHour, now}).first->second;
    bucket.turns = fRefilled(bucket, now);
    bucket.at = now;
    if (bucket.turns < 1.0) {
        return false;
    }
    bucket.turns -= 1.0;
    return true;
}
