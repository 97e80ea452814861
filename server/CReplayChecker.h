// Decides whether an uploaded replay really reaches its score: the bytes must be a replay the game's
// extractor accepts, and the game itself, run on them headless in a private scratch folder
// (--no-render --no-wait --replay FILE --expect-score S), must end with that score. The game runs as a
// child process (CChildProcess) under a wall-clock limit, a CPU limit and a memory limit; at most a few
// checks run at once, the others wait for a turn.
#pragma once

#include "CChildProcess.h"
#include "CSandbox.h"
#include "CServerMetrics.h"
#include "SRunSummary.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <semaphore>
#include <string>
#include <vector>

struct SCheckerOptions {
    std::filesystem::path game;        // the game binary
    std::filesystem::path gameData;    // the folder holding the game's dat/ (and collision.png)
    std::filesystem::path scratchRoot; // where the scratch folders of the checks are made
    int timeLimitSeconds = 30;
    std::uint64_t memoryLimitBytes = 1024ull * 1024 * 1024; // 0: no limit (sanitizer builds need that)
    int parallelChecks = 2;
    ESandboxMode sandbox = ESandboxMode::Off; // the server's default is auto (--sandbox)
    CServerMetrics* metrics = nullptr;        // counts the runs of the game that could not start; may be null
};

struct SCheckResult {
    bool accepted = false;
    std::string reason;             // why not, one line
    std::optional<SRunSummary> run; // what the game said of an accepted run, when it said it
    std::string digest;             // the digest of the run's final state the game said; empty: none
};

class CReplayChecker {
public:
    // Throws std::runtime_error when the game or its data cannot be found.
    explicit CReplayChecker(SCheckerOptions options);
    ~CReplayChecker();
    CReplayChecker(const CReplayChecker&) = delete;
    CReplayChecker& operator=(const CReplayChecker&) = delete;

    SCheckResult fCheck(const std::string& replay, int score);
    // Plays a checked replay again, drawn, to the picture of its result screen (--result-screenshot): a
    // sound 640 x 480 PNG, or nullopt (with a log line) when the game made none. Same limits as a check,
    // without waiting for a check's turn; `cancel` stops it early.
    std::optional<std::string> fPaintResult(const std::string& replay, int score,
                                            const std::atomic<bool>& cancel);
    // What the game said of itself at start ("tavoni 1.0.3" gives "1.0.3"), asked under a check's limits and
    // a few seconds at most; "unknown" when it did not say, or did not end soundly within them.
    const std::string& fGameVersion() const { return mVersion; }
    // The sandbox's layers, as the start-up line names them.
    std::string fSandboxDescription() const { return mSandbox->fDescription(); }

private:
    std::filesystem::path fNewScratch(const char* kind) const;
    // Writes the replay into a new scratch folder; the reason (one line) when it is plainly not a replay.
    // Its members are not expanded here: the game does that, in its sandbox.
    std::string fWriteReplay(const std::filesystem::path& folder, const std::string& replay) const;
    void fPrepareScratch(const std::filesystem::path& folder) const;
    // The game run in `folder` with `gameArgs` under a check's limits, its stdout and stderr in the
    // folder's check.out.
    SChildOptions fGameChild(const std::filesystem::path& folder, std::vector<std::string> gameArgs) const;
    SCheckResult fRunGame(const std::filesystem::path& folder, int score) const;

    std::string fAskVersion() const;
    // Counts a child that could not be started, in the metrics.
    void fNoteStart(const SChildEnd& end) const;

    SCheckerOptions mOptions;
    std::unique_ptr<CSandbox> mSandbox;
    std::vector<std::string> mDataFolders; // the folders of the game's dat/ (but replay/), by name
    std::string mVersion;
    std::unique_ptr<std::counting_semaphore<256>> mTurns;
};
