// Watching a replay: the playback runs in a cursor and the player steers it with the theater's controls
// (speed, pause and frame step, jumps of 5 and 30 seconds, to the start, to a tenth of the run or a click
// on the timeline, to the previous or next moment), shown on the overlay. Without a control, it plays
// exactly as a stage playing the replay would: the same frames and the same sounds.
#pragma once

#include "GameMain/CGameStageHost.h"
#include "GameMain/CReplayCursor.h"
#include "GameMain/CSceneHolder.h"
#include "GameMain/CTheaterControls.h"
#include "GameMain/CTheaterOverlay.h"

#include <memory>
#include <string>

// Whose replay is watched, for the overlay.
struct STheaterTitle {
    enum class EWhose { OWN, PLAYER, FILE };
    EWhose whose = EWhose::OWN;
    std::string name; // the player's name, or the file's
};

class CReplayTheater : public CScene {
public:
    // Speeds in quarters of the normal one: 1/4, 1/2, 1, 2, 4, 8.
    static constexpr int kSpeeds[] = {1, 2, 4, 8, 16, 32};
    static constexpr int kNormalSpeed = 2; // index of 1
    // A moment is jumped to a second before it happens, so it is seen happening.
    static constexpr int kMomentLeadIn = 60;

    // Reads the whole replay once (its length, score and moments), then starts it from its first frame.
    CReplayTheater(std::string path, SReplayInput input, STheaterTitle title);
    ~CReplayTheater() override;

    void fInput() override;
    void fUpdate() override;
    void fDraw() override;

    int fGetPosition() const { return mCursor.fGetPosition(); }
    bool fIsPaused() const { return mPaused; }
    const SReplaySurvey& fGetSurvey() const { return mSurvey; }

private:
    void fApply(const STheaterInput& input);
    void fSeek(int frames);
    void fSeekMoment(int direction);
    void fChangeSpeed(int by);
    void fLeave();
    void fTrace(const char* what) const;
    bool fInPlay() const { return mCursor.fHasStage() && !mCursor.fHasEnded() && !mCursor.fHasLeft(); }

    CGameStageHost mHost;
    CReplayCursor mCursor;
    STheaterTitle mTitle;
    SReplaySurvey mSurvey;
    CTheaterControls mControls;
    CTheaterOverlay mOverlay;
    int mSpeed = kNormalSpeed;
    int mQuarters = 0; // of a frame, carried to the next
    bool mPaused = false;
    int mPendingSteps = 0;
    bool mLeaving = false;
    int mLoopFrames = 0;
};

// The theater for the packed replay at `path`: a file that is not a replay is a CException.
std::unique_ptr<CReplayTheater> fMakeReplayTheater(const std::string& path, STheaterTitle title);

// The first scene when a replay file is given to the game: its first input step opens the theater, or,
// for a file that is not a replay, the title with a notice saying so.
class CWatchFileScene : public CScene {
public:
    explicit CWatchFileScene(std::string path) : mPath(std::move(path)) {}
    void fInput() override;
    void fUpdate() override {}
    void fDraw() override {}

private:
    std::string mPath;
};
