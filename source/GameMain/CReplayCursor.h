// One replay, played from its start a frame at a time, that can be brought to any frame of its play. A
// replay is its inputs, so a frame is reached exactly by playing the replay again from its start out of
// sight: no drawing, no sound, no traces, the live keys unread. Nothing of the run's state is kept.
#pragma once

#include "Stage/CStageHost.h"
#include "replay/ReplayFiles.h"

#include <memory>
#include <string>
#include <vector>

class CStage;

// A moment of the run worth going back to, at the frame of play it happened in.
struct SReplayMoment {
    enum class EKind { DISH, FAINT, RANK_UP, MULTI_KILL };
    EKind kind = EKind::DISH;
    int frame = 0;
};

// What a pass over the whole replay found.
struct SReplaySurvey {
    int playFrames = 0; // frames of play until time ran out (or the recording was left)
    int finalScore = 0; // with the dishes' bonus
    std::vector<SReplayMoment> moments;
};

class CReplayCursor {
public:
    // `host` hears of the stages' ends and leaving, except those of a stage played out of sight.
    CReplayCursor(std::string name, SReplayInput input, CStageHost& host);
    ~CReplayCursor();
    CReplayCursor(const CReplayCursor&) = delete;
    CReplayCursor& operator=(const CReplayCursor&) = delete;

    // Plays the whole replay out of sight and tells its length, score and moments; the cursor is left with
    // no stage.
    SReplaySurvey fSurvey();
    // A new stage at the start, with its music, as every playback starts.
    void fOpen();
    // One frame of the playback as the game loop runs it: the keys, the stage's input step, its update.
    // The first frame of a stage is its update alone (the stage is made in an input step).
    void fStep();
    // Reaches the state after `steps` frames of the playback (clamped to 0 and up), forward from here or
    // from a new start when it lies behind, out of sight. The music plays on.
    void fSeek(int steps);

    // Frames of the playback played since its start; while in play, the stage's frame of play.
    int fGetPosition() const { return mSteps; }
    bool fHasStage() const { return mStage != nullptr; }
    CStage& fGetStage();
    const CStage& fGetStage() const;
    // The stage ended (its last state or Esc) / handed over to the next scene.
    bool fHasEnded() const { return mForward.ended; }
    bool fHasLeft() const { return mForward.left; }
    const std::string& fGetName() const { return mName; }
    // Off: Esc and F1 are not read by the stage (whoever owns the cursor reads them).
    void fSetLiveKeys(bool on) { mLiveKeys = on; }

private:
    // Hands the stage's calls to the host, except while the stage plays out of sight.
    class CForwardHost : public CStageHost {
    public:
        explicit CForwardHost(CStageHost& host) : mHost(host) {}
        void fOpenTip() override;
        void fDrawTip() override { mHost.fDrawTip(); }
        void fOnStageEnd(const CStage& stage) override;
        void fLeaveStage() override;
        void fToggleFastForward() override;
        void fRestoreFramePacing() override;
        double fGetFps() const override { return mHost.fGetFps(); }
        void fToggleProfiler() override;
        void fMeasureStart(const char* name) override;
        void fMeasureEnd(const char* name) override;

        bool quiet = false;
        bool ended = false;
        bool left = false;

    private:
        CStageHost& mHost;
    };
    class CQuiet;

    void fBuild();

    std::string mName;
    SReplayInput mInput;
    CForwardHost mForward;
    std::unique_ptr<CStage> mStage;
    int mSteps = 0;
    bool mLiveKeys = true;
};
