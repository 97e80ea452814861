// What the ranking requests do, apart from HTTP: the game's list reply (the best entries by score, rendered
// when it is asked for after the entries changed, and kept until they change again), and
// an upload: a replay already in the ranking is answered at once, any other is queued for a checker and
// answered with its verdict.
#pragma once

#include "CBlockedNames.h"
#include "CCheckQueue.h"
#include "CRankingStore.h"
#include "CServerMetrics.h"

#include <chrono>
#include <memory>
#include <mutex>
#include <string>

using SUploadOutcome = SVerdict;

class CRankingService {
public:
    static constexpr int kDefaultGameListSize = 1000;

    // An upload waits `verdictWait` at most for its verdict; a check is a checker's for `lease` once claimed.
    // The game's list holds the best `gameListSize` entries (0: all of them).
    CRankingService(CRankingStore& store, CCheckQueue& queue, std::chrono::seconds verdictWait,
                    std::chrono::seconds lease, CServerMetrics& metrics,
                    int gameListSize = kDefaultGameListSize);

    std::shared_ptr<const std::string> fListReply();
    // `name` and `score` are already checked against the request rules; `requestId` marks its log lines.
    SUploadOutcome fUpload(const std::string& name, int score, const std::string& replay,
                           const std::string& requestId);

    CRankingStore& fStore() { return mStore; }
    // Why uploads cannot get their verdicts now: checks wait, the oldest longer than a lease, and no checker
    // has taken one within a lease (none is running, or all are stuck). Empty when checks go on.
    std::string fChecksStalled();

    // Names holding one of these words are refused before their upload is read (none when not set).
    void fSetBlockedNames(std::unique_ptr<CBlockedNames> blocked) { mBlocked = std::move(blocked); }
    // The blocked word `name` holds; empty when it may be uploaded.
    std::string fBlockedWord(const std::string& name) {
        return mBlocked != nullptr ? mBlocked->fBlockedWord(name) : std::string();
    }

private:
    CRankingStore& mStore;
    CCheckQueue& mQueue;
    const std::chrono::seconds mVerdictWait;
    const std::chrono::seconds mLease;
    CServerMetrics& mMetrics;
    const int mGameListSize;
    std::mutex mCacheMutex;
    std::uint64_t mCachedGeneration = 0;
    std::shared_ptr<const std::string> mCachedList;
    std::unique_ptr<CBlockedNames> mBlocked;
};
