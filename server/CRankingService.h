// What the ranking requests do, apart from HTTP: the list reply (kept ready until the next new entry), an
// upload's checks from the cheapest to the dearest (known replay, extractor and game run) and its storing,
// and finding a replay to download.
#pragma once

#include "CRankingStore.h"
#include "CReplayChecker.h"

#include <memory>
#include <mutex>
#include <string>

struct SUploadOutcome {
    int status = 200;  // the HTTP status
    std::string reply; // "UploadSuccess?<rank>" or "UploadFailed?<reason>"
};

class CRankingService {
public:
    CRankingService(CRankingStore& store, CReplayChecker& checker);

    std::shared_ptr<const std::string> fListReply();
    // `name` and `score` are already checked against the request rules.
    SUploadOutcome fUpload(const std::string& name, int score, const std::string& replay);

    CRankingStore& fStore() { return mStore; }

private:
    CRankingStore& mStore;
    CReplayChecker& mChecker;
    std::mutex mCacheMutex;
    std::uint64_t mCachedGeneration = 0;
    std::shared_ptr<const std::string> mCachedList;
};
