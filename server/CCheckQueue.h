// Uploads waiting for their check. A web node submits an upload and waits for its verdict; checkers claim
// uploads one at a time, check them, store the accepted ones and record the verdict. In one process the
// queue is in memory (CLocalCheckQueue); with several machines it is a table in PostgreSQL
// (CPostgresCheckQueue), where a claim is a lease: a check whose checker died is claimed again once its
// lease has run out.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

struct SCheckJob {
    std::int64_t id = 0;
    std::string requestId; // carried into the checker's log lines
    std::string name;
    int score = 0;
    std::string replay;
    std::string digest;
    int attempts = 0;      // claims so far, this one included
    std::string malformed; // not empty: why the queued row cannot be checked
};

// What the upload is answered.
struct SVerdict {
    int status = 200;
    std::string reply; // "UploadSuccess?<rank>" or "UploadFailed?<reason>"
};

class CCheckQueue {
public:
    using SClock = std::chrono::steady_clock;

    // The checks no checker is on: never claimed, or claimed under a lease that has run out.
    struct SWaiting {
        std::int64_t checks = 0;
        double oldestSeconds = 0;       // how long the oldest of them has been queued
        bool claimedWithinLease = true; // a checker took a check (or holds one) within the last lease
    };

    virtual ~CCheckQueue() = default;

    // Queues an upload; returns its id. Throws std::runtime_error.
    virtual std::int64_t fSubmit(const SCheckJob& job) = 0;
    // The verdict of a submitted upload once it is recorded; nullopt when `until` came first.
    virtual std::optional<SVerdict> fAwait(std::int64_t id, SClock::time_point until) = 0;

    // The oldest upload nobody is checking, claimed for `lease`; nullopt when none came within `wait`.
    virtual std::optional<SCheckJob> fClaim(std::chrono::seconds lease, std::chrono::milliseconds wait) = 0;
    // Records the verdict of a claimed upload.
    virtual void fFinish(std::int64_t id, const SVerdict& verdict) = 0;
    // What waits, for the metrics and the health check. Throws std::runtime_error.
    virtual SWaiting fWaiting(std::chrono::seconds lease) = 0;
};
