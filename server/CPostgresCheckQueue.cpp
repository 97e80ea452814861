#include "CPostgresCheckQueue.h"

#include "RankingProtocol.h"
#include "ServerLog.h"

#include <algorithm>
#include <stdexcept>
#include <thread>

namespace {

constexpr auto kPollEvery = std::chrono::milliseconds(50);
constexpr std::size_t kMaxReplyBytes = 400;

// A verdict as the database has it, checked before it is sent to a player: a status and one line.
SVerdict fSaneVerdict(std::int64_t status, const std::string& reply) {
    const bool fine = status >= 200 && status <= 599 && reply.size() <= kMaxReplyBytes &&
                      (reply.starts_with("UploadSuccess?") || reply.starts_with("UploadFailed?")) &&
                      reply.find_first_of("\r\n") == std::string::npos;
    if (!fine) {
        fServerLog("queue: a malformed verdict in the database: " + fLogSafe(reply, 60));
        return {500, "UploadFailed?the server could not store the replay"};
    }
    return {static_cast<int>(status), reply};
}

} // namespace

CPostgresCheckQueue::CPostgresCheckQueue(CPostgresConnections& connections) : mConnections(connections) {}

std::int64_t CPostgresCheckQueue::fSubmit(const SCheckJob& job) {
    CPostgresConnections::CLease lease = mConnections.fTake();
    const CPgRows rows =
        lease.fRun("INSERT INTO checks (request_id, name, score, digest, replay) VALUES ($1, $2, $3, $4, $5) "
                   "RETURNING id",
                   {SPgValue::fText(job.requestId), SPgValue::fText(job.name), SPgValue::fNumber(job.score),
                    SPgValue::fText(job.digest), SPgValue::fBytes(job.replay)});
    return rows.fNumber(0, 0);
}

std::optional<SVerdict> CPostgresCheckQueue::fAwait(std::int64_t id, SClock::time_point until) {
    bool reported = false;
    for (;;) {
        try {
            CPostgresConnections::CLease lease = mConnections.fTake();
            const CPgRows rows = lease.fRun(
                "DELETE FROM checks WHERE id = $1 AND state = 'done' RETURNING verdict_status, verdict_reply",
                {SPgValue::fNumber(id)});
            if (rows.fCount() == 1) {
                return fSaneVerdict(rows.fNumber(0, 0), rows.fText(0, 1));
            }
        } catch (const std::exception& e) {
            // The database may come back before the time is up; said once, not every poll.
            if (!reported) {
                fServerLog("queue: waiting for check " + std::to_string(id) + ": " + e.what());
                reported = true;
            }
        }
        if (SClock::now() + kPollEvery >= until) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(kPollEvery);
    }
}

std::optional<SCheckJob> CPostgresCheckQueue::fClaimOne(std::chrono::seconds lease) {
    CPostgresConnections::CLease db = mConnections.fTake();
    const std::int64_t now =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    if (now >= mNextSweep.load()) {
        mNextSweep = now + 60;
        db.fRun("DELETE FROM checks WHERE state = 'done' AND finished_at < now() - interval '1 hour'");
    }
    const CPgRows claimed =
        db.fRun("UPDATE checks SET state = 'running', lease_until = now() + make_interval(secs => $1),"
                " attempts = attempts + 1"
                " WHERE id = (SELECT id FROM checks"
                "   WHERE state = 'pending' OR (state = 'running' AND lease_until < now())"
                "   ORDER BY id LIMIT 1 FOR UPDATE SKIP LOCKED)"
                " RETURNING id, request_id, name, score, digest, attempts",
                {SPgValue::fNumber(lease.count())});
    if (claimed.fCount() == 0) {
        return std::nullopt;
    }
    SCheckJob job;
    job.id = claimed.fNumber(0, 0);
    job.requestId = fLogSafe(claimed.fText(0, 1), 16);
    job.name = claimed.fText(0, 2);
    const std::int64_t score = claimed.fNumber(0, 3);
    job.digest = claimed.fText(0, 4);
    job.attempts = static_cast<int>(std::min<std::int64_t>(claimed.fNumber(0, 5), 1000));
    if (!fCheckPlayerName(job.name).empty() || score <= 0 || score > INT32_MAX || job.digest.size() != 64) {
        // Not what a web node queues: refused without running anything on it.
        job.malformed = "the queued row is malformed";
        job.name.clear();
        return job;
    }
    job.score = static_cast<int>(score);
    const CPgRows replay =
        db.fRun("SELECT replay FROM checks WHERE id = $1", {SPgValue::fNumber(job.id)}, true);
    if (replay.fCount() == 1 && !replay.fIsNull(0, 0)) {
        job.replay = replay.fBytes(0, 0, kMaxUploadBytes);
    }
    return job;
}

std::optional<SCheckJob> CPostgresCheckQueue::fClaim(std::chrono::seconds lease,
                                                     std::chrono::milliseconds wait) {
    const auto until = SClock::now() + wait;
    for (;;) {
        if (std::optional<SCheckJob> job = fClaimOne(lease)) {
            return job;
        }
        if (SClock::now() + kPollEvery >= until) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(kPollEvery);
    }
}

void CPostgresCheckQueue::fFinish(std::int64_t id, const SVerdict& verdict) {
    CPostgresConnections::CLease lease = mConnections.fTake();
    lease.fRun(
        "UPDATE checks SET state = 'done', verdict_status = $2, verdict_reply = $3, finished_at = now(),"
        " replay = NULL WHERE id = $1",
        {SPgValue::fNumber(id), SPgValue::fNumber(verdict.status), SPgValue::fText(verdict.reply)});
}

CCheckQueue::SWaiting CPostgresCheckQueue::fWaiting(std::chrono::seconds lease) {
    // Every node and checker shares this view; a check that a checker finished a moment ago counts as taken
    // within the lease, since the next one is claimed right after it.
    CPostgresConnections::CLease db = mConnections.fTake();
    const CPgRows rows =
        db.fRun("SELECT count(*) FILTER (WHERE waits),"
                " COALESCE(EXTRACT(EPOCH FROM now() - min(queued_at) FILTER (WHERE waits))::float8, 0),"
                " count(*) FILTER (WHERE (state = 'running' AND lease_until >= now())"
                "   OR (state = 'done' AND finished_at >= now() - make_interval(secs => $1)))"
                " FROM (SELECT *, state = 'pending' OR (state = 'running' AND lease_until < now()) AS waits"
                "   FROM checks) AS open_checks",
                {SPgValue::fNumber(lease.count())});
    SWaiting waiting;
    waiting.checks = rows.fNumber(0, 0);
    waiting.oldestSeconds = std::max(0.0, std::stod(rows.fText(0, 1)));
    waiting.claimedWithinLease = rows.fNumber(0, 2) > 0;
    return waiting;
}
