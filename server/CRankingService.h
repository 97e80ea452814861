// What the ranking requests do, apart from HTTP: the game's list reply (the best entries by score, rendered
// when it is asked for after the entries changed, and kept until they change again), and
// an upload: a replay already in the ranking is answered at once, any other is queued for a checker and
// answered with its verdict.
#pragma once

#include "CCheckQueue.h"
#include "CRankingStore.h"

#include <chrono>
#include <memory>
#include <mutex>
#include <string>

using SUploadOutcome = SVerdict;

class CRankingService {
public:
    static constexpr int kDefaultGameListSize = 1000;

    // An upload waits `verdictWait` at most for its verdict. The game's list holds the best `gameListSize`
    // entries (0: all of them).
    CRankingService(CRankingStore& store, CCheckQueue& queue, std::chrono::seconds verdictWait,
                    int gameListSize = kDefaultGameListSize);

    std::shared_ptr<const std::string> fListReply();
    // `name` and `score` are already checked against the request rules; `requestId` marks its log lines.
    SUploadOutcome fUpload(const std::string& name, int score, const std::string& replay,
                           const std::string& requestId);

    CRankingStore& fStore() { return mStore; }

private:
    CRankingStore& mStore;
    CCheckQueue& mQueue;
    const std::chrono::seconds mVerdictWait;
    const int mGameListSize;
    std::mutex mCacheMutex;
    std::uint64_t mCachedGeneration = 0;
    std::shared_ptr<const std::string> mCachedList;
};
