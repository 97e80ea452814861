#include "CResultPainter.h"

#include "ServerLog.h"

#include <chrono>

CResultPainter::CResultPainter(CReplayChecker& checker, CRankingStore& store, CServerMetrics& metrics)
    : mChecker(checker), mStore(store), mMetrics(metrics), mThread([this] { fWork(); }) {}

CResultPainter::~CResultPainter() {
    {
        const std::lock_guard<std::mutex> lock(mMutex);
        mStopping = true;
        if (!mJobs.empty()) {
            fServerLog("paint: stopping; " + std::to_string(mJobs.size()) +
                       " entries keep no result picture");
        }
    }
    mWake.notify_all();
    mThread.join();
}

void CResultPainter::fSubmit(const std::string& id, const std::string& replay, int score) {
    {
        const std::lock_guard<std::mutex> lock(mMutex);
        if (mStopping || mJobs.size() >= kMaxWaiting) {
            fServerLog("paint: " + id + " keeps no result picture: " + std::to_string(mJobs.size()) +
                       " entries are waiting for theirs");
            return;
        }
        mJobs.push_back({id, replay, score});
    }
    mWake.notify_one();
}

void CResultPainter::fWork() {
    for (;;) {
        SJob job;
        {
            std::unique_lock<std::mutex> lock(mMutex);
            mWake.wait(lock, [this] { return mStopping || !mJobs.empty(); });
            if (mStopping) {
                return;
            }
            job = std::move(mJobs.front());
            mJobs.pop_front();
        }
        const auto started = std::chrono::steady_clock::now();
        const std::optional<std::string> picture = mChecker.fPaintResult(job.replay, job.score, mStopping);
        mMetrics.fPictureTook(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
        if (!picture) {
            continue;
        }
        try {
            if (mStore.fPutResultPicture(job.id, *picture)) {
                fServerLog("paint: the result picture of " + job.id + " is stored");
            }
        } catch (const std::exception& e) {
            fServerLog("paint: the result picture of " + job.id + " was not stored: " + e.what());
        }
    }
}
