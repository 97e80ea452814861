// Paints the pictures of the entries' result screens after their checks, on a thread of its own, so that
// no upload waits for one: the checker hands over each entry it stores, the game plays the replay again,
// drawn this time (CReplayChecker::fPaintResult), and the picture is stored with the entry. Entries wait in
// memory, a bounded number of them; one that cannot wait, or whose painting fails, keeps no picture and
// its page says so. Stopping drops those still waiting and cuts the one under way short.
#pragma once

#include "CRankingStore.h"
#include "CReplayChecker.h"
#include "CServerMetrics.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

class CResultPainter {
public:
    static constexpr std::size_t kMaxWaiting = 64;

    // Throws std::system_error when its thread cannot be made.
    CResultPainter(CReplayChecker& checker, CRankingStore& store, CServerMetrics& metrics);
    ~CResultPainter();
    CResultPainter(const CResultPainter&) = delete;
    CResultPainter& operator=(const CResultPainter&) = delete;

    // Queues the painting of a stored entry; returns at once.
    void fSubmit(const std::string& id, const std::string& replay, int score);

private:
    struct SJob {
        std::string id;
        std::string replay;
        int score = 0;
    };
    void fWork();

    CReplayChecker& mChecker;
    CRankingStore& mStore;
    CServerMetrics& mMetrics;
    std::mutex mMutex;
    std::condition_variable mWake;
    std::deque<SJob> mJobs;
    std::atomic<bool> mStopping{false};
    std::thread mThread;
};
