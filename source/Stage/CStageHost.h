// Whoever made a stage. The world lies under the game's scenes, so a stage never names them: it reports its
// end here and asks here for what lives above it (the next scene, the run's tip, the frame timer and the
// profiler). Every step does nothing by default, which is what tests and tools that make a stage want.
#pragma once

class CStage;

class CStageHost {
public:
    virtual ~CStageHost() = default;

    // The result screen of a new run is over: unlock the run's tip and open it.
    virtual void fOpenTip() {}
    virtual void fDrawTip() {}
    // The stage ended (its last state or Esc) and its run was ended or abandoned; it is disposed next.
    virtual void fOnStageEnd(const CStage& /*stage*/) {}
    // The stage is disposed: the next scene.
    virtual void fLeaveStage() {}

    // F1 during a playback: as fast as the machine can, or back to 60 frames a second.
    virtual void fToggleFastForward() {}
    // Frame pacing as the game was started with, once the stage is gone.
    virtual void fRestoreFramePacing() {}
    // For the window caption.
    virtual double fGetFps() const { return 0.0; }

    virtual void fToggleProfiler() {}
    virtual void fMeasureStart(const char* /*name*/) {}
    virtual void fMeasureEnd(const char* /*name*/) {}
};
