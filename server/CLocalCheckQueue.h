// The check queue of a server that is alone: in memory, since its web side and its checkers are one
// process, which an upload cannot outlive anyway.
#pragma once

#include "CCheckQueue.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <set>

class CLocalCheckQueue : public CCheckQueue {
public:
    std::int64_t fSubmit(const SCheckJob& job) override;
    std::optional<SVerdict> fAwait(std::int64_t id, SClock::time_point until) override;
    std::optional<SCheckJob> fClaim(std::chrono::seconds lease, std::chrono::milliseconds wait) override;
    void fFinish(std::int64_t id, const SVerdict& verdict) override;
    SWaiting fWaiting(std::chrono::seconds lease) override;

private:
    std::mutex mMutex;
    std::condition_variable mQueued;
    std::condition_variable mDecided;
    std::int64_t mLastId = 0;
    std::deque<SCheckJob> mPending;
    std::deque<SClock::time_point> mQueuedAt; // of each pending job, in the same order
    std::optional<SClock::time_point> mLastClaim;
    std::set<std::int64_t> mAwaited; // submitted and still awaited
    std::map<std::int64_t, SVerdict> mVerdicts;
};
