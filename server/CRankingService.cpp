#include "CRankingService.h"

#include "CCheckWorkers.h"
#include "ReplayDigest.h"
#include "ServerLog.h"

#include <climits>
#include <stdexcept>

CRankingService::CRankingService(CRankingStore& store, CCheckQueue& queue, std::chrono::seconds verdictWait,
                                 std::chrono::seconds lease, CServerMetrics& metrics, int gameListSize)
    : mStore(store), mQueue(queue), mVerdictWait(verdictWait), mLease(lease), mMetrics(metrics),
      mGameListSize(gameListSize) {}

std::string CRankingService::fChecksStalled() {
    const CCheckQueue::SWaiting waiting = mQueue.fWaiting(mLease);
    if (waiting.checks == 0 || waiting.oldestSeconds <= static_cast<double>(mLease.count()) ||
        waiting.claimedWithinLease) {
        return {};
    }
    return std::to_string(waiting.checks) + " check(s) waiting, the oldest for " +
           std::to_string(static_cast<long long>(waiting.oldestSeconds)) +
           " s, and no checker has taken one within " + std::to_string(mLease.count()) + " s";
}

std::shared_ptr<const std::string> CRankingService::fListReply() {
    const std::uint64_t generation = mStore.fGeneration();
    {
        const std::lock_guard<std::mutex> lock(mCacheMutex);
        if (mCachedList != nullptr && mCachedGeneration == generation) {
            mMetrics.fListCacheHit();
            return mCachedList;
        }
    }
    // The game ranks the rows in the order it gets them, so it gets the best ones from the top: rendering
    // costs those rows, however many follow them, and happens at most once for each change, when the list
    // is asked for.
    mMetrics.fListRendered(CServerMetrics::EList::Game);
    auto reply = std::make_shared<const std::string>(fFormatRankingList(
        mStore.fList(ERankingOrder::Score, 0, mGameListSize > 0 ? mGameListSize : INT_MAX)));
    const std::lock_guard<std::mutex> lock(mCacheMutex);
    // Another thread may have built a newer one meanwhile; an older one never replaces it.
    if (mCachedList == nullptr || generation >= mCachedGeneration) {
        mCachedList = reply;
        mCachedGeneration = generation;
    }
    return reply;
}

SUploadOutcome CRankingService::fUpload(const std::string& name, int score, const std::string& replay,
                                        const std::string& requestId) {
    const std::string who =
        "upload [req " + requestId + "] \"" + fLogSafe(name) + "\" " + std::to_string(score);
    try {
        // A replay already in the ranking has been checked at its score; it is not stored again.
        // Hashed once: the same digest finds a known replay now and is stored with a new one later.
        const std::string digest = fReplayDigest(replay);
        if (std::optional<SVerdict> answer = fAnswerKnownReplay(mStore, digest, score, name, who)) {
            return *answer;
        }
        SCheckJob job;
        job.requestId = requestId;
        job.name = name;
        job.score = score;
        job.replay = replay;
        job.digest = digest;
        const std::int64_t id = mQueue.fSubmit(job);
        fServerLog(who + ": queued as check " + std::to_string(id));
        if (std::optional<SVerdict> verdict = mQueue.fAwait(id, CCheckQueue::SClock::now() + mVerdictWait)) {
            // The uploader's next list shows the entry, whether or not this node has heard of it yet.
            if (verdict->reply.starts_with("UploadSuccess?")) {
                mStore.fNoteChange();
            }
            return *verdict;
        }
        // Still queued: it may be stored later, and the same upload sent again is then answered at once.
        fServerLog(who + ": no verdict within " + std::to_string(mVerdictWait.count()) + " s");
        return {503, "UploadFailed?the check did not finish in time; try again later"};
    } catch (const std::exception& e) {
        fServerLog(who + ": failed, " + e.what());
        return {500, "UploadFailed?the server could not store the replay"};
    }
}
