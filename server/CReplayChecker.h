// Decides whether an uploaded replay really reaches its score: the bytes must be a replay the game's
// extractor accepts, and the game itself, run on them headless in a private scratch folder
// (--no-render --no-wait --replay FILE --expect-score S), must end with that score. The game runs as a
// child process (no shell) under a wall-clock limit, a CPU limit and a memory limit; at most a few checks
// run at once, the others wait for a turn.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <semaphore>
#include <string>

struct SCheckerOptions {
    std::filesystem::path game;        // the game binary
    std::filesystem::path gameData;    // the folder holding the game's dat/ (and collision.png)
    std::filesystem::path scratchRoot; // where the scratch folders of the checks are made
    int timeLimitSeconds = 30;
    std::uint64_t memoryLimitBytes = 1024ull * 1024 * 1024; // 0: no limit (sanitizer builds need that)
    int parallelChecks = 2;
};

struct SCheckResult {
    bool accepted = false;
    std::string reason; // why not, one line
};

class CReplayChecker {
public:
    // Throws std::runtime_error when the game or its data cannot be found.
    explicit CReplayChecker(SCheckerOptions options);
    ~CReplayChecker();
    CReplayChecker(const CReplayChecker&) = delete;
    CReplayChecker& operator=(const CReplayChecker&) = delete;

    SCheckResult fCheck(const std::string& replay, int score);
    // What the game said of itself at start ("tavoni 1.0.3" gives "1.0.3"); "unknown" when it did not say.
    const std::string& fGameVersion() const { return mVersion; }

private:
    void fPrepareScratch(const std::filesystem::path& folder) const;
    SCheckResult fRunGame(const std::filesystem::path& folder, int score) const;

    std::string fAskVersion() const;

    SCheckerOptions mOptions;
    std::string mVersion;
    std::unique_ptr<std::counting_semaphore<256>> mTurns;
};
