// The game's side of a stage: the replay launcher hears of its end, the tips manager shows the run's tip,
// the start menu comes after it, and F1 and F12 reach the frame timer and the profiler.
#pragma once

#include "Stage/CStageHost.h"

#include <memory>
#include <string>

class CGameStageHost : public CStageHost {
public:
    void fOpenTip() override;
    void fDrawTip() override;
    void fOnStageEnd(const CStage& stage) override;
    void fLeaveStage() override;
    void fToggleFastForward() override;
    void fRestoreFramePacing() override;
    double fGetFps() const override;
    void fToggleProfiler() override;
    void fMeasureStart(const char* name) override;
    void fMeasureEnd(const char* name) override;
};

// A stage of the game, started: a new run for an empty path, else the playback of that packed replay. A
// replay that cannot be played is a CException.
std::unique_ptr<CStage> fMakeGameStage(const std::string& replayPath);
