// A packed replay played from the command line (--replay FILE): it starts in place of the title, ends the
// program when its stage ends, and reports the frames of play, the final score and the speed. With an
// expected score (--expect-score) the exit status says whether the replay reaches exactly that score, which
// is how an uploaded score is checked.
#pragma once

#include "GameMain/CSceneHolder.h"
#include "Stage/SRunStats.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CStage;

class CLaunchReplay {
public:
    void fSetPath(std::string path) { mPath = std::move(path); }
    void fSetExpectedScore(std::int32_t score) { mExpectedScore = score; }
    // Instead of playing through: reach each frame of play in turn by jumping and print its digest.
    void fSetJumps(std::vector<int> frames) { mJumps = std::move(frames); }
    bool fIsActive() const { return !mPath.empty(); }
    const std::string& fGetPath() const { return mPath; }

    // Puts the playback's stage in gScene. A damaged or hostile replay is refused with its reason and the
    // game loop is asked to end. Called from a scene's input step, as the title does for R, so the playback
    // starts on the same frame boundary as a recorded run and reproduces it frame for frame.
    void fStart();
    // The playback's stage ended (its last state, or Esc): remember how far it got, the final state's
    // digest and what happened in the run, and end the program.
    void fOnStageEnd(const CStage& stage);

    // The report on stdout: the summary line, then "digest HEX" of the final state and the run's "stats"
    // line (and on stderr what went wrong); returns the exit status: 0 done (and the score
    // as expected), 1 the score differs, the replay did not reach its end or a result screenshot asked for
    // was not taken, 2 the replay was refused.
    int fReport() const;

private:
    using Clock = std::chrono::steady_clock;

    // "digest FRAME HEX" at each frame of --jump-to.
    void fJump();

    std::string mPath;
    std::optional<std::int32_t> mExpectedScore;
    std::vector<int> mJumps;
    bool mJumped = false;
    std::string mRefusal;
    bool mEnded = false;
    int mFrames = 0;
    std::int32_t mScore = 0;
    std::uint64_t mDigest = 0;
    SRunStats mStats;
    Clock::time_point mStart;
    Clock::time_point mEnd;
};

extern CLaunchReplay gLaunchReplay;

// The first scene when a replay is given on the command line: its first input step starts the playback.
class CLaunchReplayScene : public CScene {
public:
    void fInput() override { gLaunchReplay.fStart(); }
    void fUpdate() override {}
    void fDraw() override {}
};
