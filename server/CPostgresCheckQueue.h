// The check queue in PostgreSQL (the checks table of CPostgresRankingStore). Checkers claim the oldest open
// check with FOR UPDATE SKIP LOCKED, so two never take the same one, and hold it under a lease: a check
// whose checker died is open again once the lease has run out. A web node polls for the verdict of its
// upload and takes it out of the table; verdicts nobody took (their web node died) are cleared after an hour.
#pragma once

#include "CCheckQueue.h"
#include "CPostgresConnections.h"

#include <atomic>

class CPostgresCheckQueue : public CCheckQueue {
public:
    explicit CPostgresCheckQueue(CPostgresConnections& connections);

    std::int64_t fSubmit(const SCheckJob& job) override;
    std::optional<SVerdict> fAwait(std::int64_t id, SClock::time_point until) override;
    std::optional<SCheckJob> fClaim(std::chrono::seconds lease, std::chrono::milliseconds wait) override;
    void fFinish(std::int64_t id, const SVerdict& verdict) override;
    SWaiting fWaiting(std::chrono::seconds lease) override;

private:
    std::optional<SCheckJob> fClaimOne(std::chrono::seconds lease);

    CPostgresConnections& mConnections;
    std::atomic<std::int64_t> mNextSweep{0};
};
