#include "CCheckWorkers.h"

#include "ServerLog.h"

#include <algorithm>
#include <stdexcept>

namespace {
constexpr const char* kHiddenReplayReply = "UploadFailed?this replay has been taken off the ranking";
} // namespace

CCheckWorkers::CCheckWorkers(CCheckQueue& queue, CRankingStore& store, CReplayChecker& checker,
                             CResultPainter* painter, int threads, std::chrono::seconds lease,
                             CServerMetrics& metrics)
    : mQueue(queue), mStore(store), mChecker(checker), mPainter(painter), mLease(lease), mMetrics(metrics) {
    try {
        for (int i = 0; i < threads; ++i) {
            mThreads.emplace_back([this] { fWork(); });
        }
    } catch (...) {
        mStopping = true;
        for (std::thread& t : mThreads) {
            t.join();
        }
        throw;
    }
}

CCheckWorkers::~CCheckWorkers() {
    mStopping = true;
    for (std::thread& t : mThreads) {
        t.join();
    }
}

void CCheckWorkers::fWork() {
    while (!mStopping) {
        std::optional<SCheckJob> job;
        try {
            job = mQueue.fClaim(mLease, std::chrono::milliseconds(200));
        } catch (const std::exception& e) {
            // The store is away; the claims go on once it answers again.
            fServerLog(std::string("checker: cannot claim a check: ") + e.what());
            std::this_thread::sleep_for(std::chrono::seconds(1));
            continue;
        }
        if (!job) {
            continue;
        }
        const SVerdict verdict = fDecide(*job);
        try {
            mQueue.fFinish(job->id, verdict);
        } catch (const std::exception& e) {
            // Taken again when its lease runs out; a replay stored meanwhile is then found as known.
            fServerLog("check [req " + job->requestId + "]: the verdict was not recorded: " + e.what());
        }
    }
}

SVerdict CCheckWorkers::fDecide(const SCheckJob& job) {
    const std::string who = "check [req " + fLogSafe(job.requestId, 16) + "] \"" + fLogSafe(job.name) +
                            "\" " + std::to_string(job.score);
    try {
        if (!job.malformed.empty()) {
            fServerLog(who + ": refused, " + job.malformed);
            return {422, "UploadFailed?the replay could not be checked"};
        }
        if (job.attempts > kMaxAttempts) {
            fServerLog(who + ": refused, claimed " + std::to_string(job.attempts - 1) +
                       " times by checkers that stopped");
            return {422, "UploadFailed?the replay could not be checked"};
        }
        // Another upload of the same bytes may have been stored while this one waited.
        if (std::optional<SVerdict> answer =
                fAnswerKnownReplay(mStore, job.digest, job.score, job.name, who)) {
            return *answer;
        }
        const auto started = std::chrono::steady_clock::now();
        const SCheckResult check = mChecker.fCheck(job.replay, job.score);
        mMetrics.fCheckTook(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
        if (!check.accepted) {
            fServerLog(who + ": refused, " + check.reason);
            return {422, "UploadFailed?" + check.reason};
        }
        SNewEntry entry;
        entry.name = job.name;
        entry.score = job.score;
        entry.replay = job.replay;
        entry.digest = job.digest;
        entry.version = mChecker.fGameVersion();
        entry.run = check.run;
        const CRankingStore::SAdded added = mStore.fAdd(entry);
        if (!added.stored) {
            // Stored meanwhile by another upload of the same bytes, perhaps under another name.
            return fAnswerStoredEntry(added.entry, job.score, job.name, who);
        }
        if (mPainter != nullptr) {
            mPainter->fSubmit(added.entry.id, job.replay, job.score);
        }
        fServerLog(who + ": stored as " + added.entry.id + ", rank " + std::to_string(added.entry.rank) +
                   ", checked by tavoni " + entry.version);
        return {200, "UploadSuccess?" + std::to_string(added.entry.rank)};
    } catch (const std::exception& e) {
        fServerLog(who + ": failed, " + e.what());
        return {500, "UploadFailed?the server could not store the replay"};
    }
}

namespace {
// A stored name inside a reply: the protocol splits replies at "?" and lines at "\n".
std::string fReplyText(const std::string& text) {
    // At most 64 bytes, cut between whole UTF-8 characters.
    std::size_t n = std::min<std::size_t>(text.size(), 64);
    while (n > 0 && n < text.size() && (static_cast<unsigned char>(text[n]) & 0xc0) == 0x80) {
        --n;
    }
    std::string out;
    for (const char c : text.substr(0, n)) {
        out += c == '?' || c == '\n' || c == '\r' ? '-' : c;
    }
    return out;
}
} // namespace

std::optional<SVerdict> fAnswerKnownReplay(CRankingStore& store, const std::string& digest, int score,
                                           const std::string& name, const std::string& who) {
    const std::optional<SListedEntry> known = store.fFindReplay(digest);
    if (!known) {
        return std::nullopt;
    }
    return fAnswerStoredEntry(*known, score, name, who);
}

SVerdict fAnswerStoredEntry(const SListedEntry& known, int score, const std::string& name,
                            const std::string& who) {
    // Taken off the ranking by a moderator: sending it again does not bring it back.
    if (known.hiddenAt) {
        fServerLog(who + ": refused, the replay is that of the hidden entry " + known.id);
        return SVerdict{422, kHiddenReplayReply};
    }
    if (known.score != score) {
        fServerLog(who + ": refused, the replay is registered with the score " + std::to_string(known.score));
        return SVerdict{422, "UploadFailed?this replay is registered with another score"};
    }
    if (known.name != name) {
        // One run is one entry: a second name would take over someone's entry, or list the run twice.
        fServerLog(who + ": refused, the replay is registered as " + known.id + " under \"" +
                   fLogSafe(known.name) + "\"");
        return SVerdict{422, "UploadFailed?this replay is registered under the name \"" +
                                 fReplyText(known.name) + "\""};
    }
    fServerLog(who + ": already registered as " + known.id + ", rank " + std::to_string(known.rank));
    return SVerdict{200, "UploadSuccess?" + std::to_string(known.rank)};
}
