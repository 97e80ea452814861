#include "CLocalCheckQueue.h"

std::int64_t CLocalCheckQueue::fSubmit(const SCheckJob& job) {
    const std::lock_guard<std::mutex> lock(mMutex);
    SCheckJob queued = job;
    queued.id = ++mLastId;
    mPending.push_back(std::move(queued));
    mQueuedAt.push_back(SClock::now());
    mAwaited.insert(mLastId);
    mQueued.notify_one();
    return mLastId;
}

std::optional<SVerdict> CLocalCheckQueue::fAwait(std::int64_t id, SClock::time_point until) {
    std::unique_lock<std::mutex> lock(mMutex);
    mDecided.wait_until(lock, until, [&] { return mVerdicts.count(id) != 0; });
    // Given up or answered, nobody waits for it any more: a verdict coming later is dropped.
    mAwaited.erase(id);
    const auto found = mVerdicts.find(id);
    if (found == mVerdicts.end()) {
        return std::nullopt;
    }
    SVerdict verdict = std::move(found->second);
    mVerdicts.erase(found);
    return verdict;
}

std::optional<SCheckJob> CLocalCheckQueue::fClaim(std::chrono::seconds, std::chrono::milliseconds wait) {
    std::unique_lock<std::mutex> lock(mMutex);
    if (!mQueued.wait_for(lock, wait, [this] { return !mPending.empty(); })) {
        return std::nullopt;
    }
    SCheckJob job = std::move(mPending.front());
    mPending.pop_front();
    mQueuedAt.pop_front();
    mLastClaim = SClock::now();
    job.attempts = 1;
    return job;
}

void CLocalCheckQueue::fFinish(std::int64_t id, const SVerdict& verdict) {
    const std::lock_guard<std::mutex> lock(mMutex);
    if (mAwaited.count(id) != 0) {
        mVerdicts[id] = verdict;
        mDecided.notify_all();
    }
}

CCheckQueue::SWaiting CLocalCheckQueue::fWaiting(std::chrono::seconds lease) {
    const std::lock_guard<std::mutex> lock(mMutex);
    const auto now = SClock::now();
    SWaiting waiting;
    waiting.checks = static_cast<std::int64_t>(mPending.size());
    if (!mQueuedAt.empty()) {
        waiting.oldestSeconds = std::chrono::duration<double>(now - mQueuedAt.front()).count();
    }
    waiting.claimedWithinLease = mLastClaim && now - *mLastClaim < lease;
    return waiting;
}
