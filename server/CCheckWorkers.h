// A checker: threads that claim uploads from the check queue, play each replay with the game
// (CReplayChecker), store the accepted ones with what the check saw of the run, hand each stored one to the
// painter of result pictures and record each verdict. Stopping waits for the checks under way,
// which end within their time limit.
#pragma once

#include "CCheckQueue.h"
#include "CRankingStore.h"
#include "CReplayChecker.h"
#include "CResultPainter.h"
#include "CServerMetrics.h"

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// The answer to an upload whose replay is already stored: its rank when the score and the name are the
// stored ones (a retry after a lost reply), a refusal otherwise, naming the stored name; nothing when the
// replay is new. `who` starts the log line.
std::optional<SVerdict> fAnswerKnownReplay(CRankingStore& store, const std::string& digest, int score,
                                           const std::string& name, const std::string& who);
// The same for an entry already found (`known`, the stored one, for `score` and `name` sent).
SVerdict fAnswerStoredEntry(const SListedEntry& known, int score, const std::string& name,
                            const std::string& who);

class CCheckWorkers {
public:
    // A check claimed this often without a verdict (its checkers died on it) is refused.
    static constexpr int kMaxAttempts = 3;

    // Starts `threads` threads. Throws std::system_error when they cannot be made.
    // `painter` may be null: no pictures are painted.
    CCheckWorkers(CCheckQueue& queue, CRankingStore& store, CReplayChecker& checker, CResultPainter* painter,
                  int threads, std::chrono::seconds lease, CServerMetrics& metrics);
    ~CCheckWorkers();
    CCheckWorkers(const CCheckWorkers&) = delete;
    CCheckWorkers& operator=(const CCheckWorkers&) = delete;

    // What an upload is answered: from the replay's entry when it is known, else from its check.
    SVerdict fDecide(const SCheckJob& job);

private:
    void fWork();

    CCheckQueue& mQueue;
    CRankingStore& mStore;
    CReplayChecker& mChecker;
    CResultPainter* mPainter;
    const std::chrono::seconds mLease;
    CServerMetrics& mMetrics;
    std::atomic<bool> mStopping{false};
    std::vector<std::thread> mThreads;
};
