#include "GameMain/CReplayCursor.h"

#include "Stage/CStage.h"
#include "audio/CSoundManager.h"
#include "base/Check.h"
#include "base/LaunchFlags.h"
#include "input/CKeyManagerBase.h"
#include "replay/CKeyPlayer.h"

#include <algorithm>

// While it lives, the stage plays out of sight: no sound starts, the traces and digests of a straight
// playback stay quiet, the live keys (Esc, F1) are not read and the host hears nothing.
class CReplayCursor::CQuiet {
public:
    explicit CQuiet(CReplayCursor& cursor)
        : mCursor(cursor), mTrace(gLaunchTraceStage), mDigestEvery(gLaunchDigestEvery),
          mSilenced(gSoundManager && gSoundManager->fIsSilenced()) {
        gLaunchTraceStage = false;
        gLaunchDigestEvery = 0;
        if (gSoundManager) {
            gSoundManager->fSetSilenced(true);
        }
        mCursor.mForward.quiet = true;
        fSetLiveKeys(false);
    }
    ~CQuiet() {
        fSetLiveKeys(mCursor.mLiveKeys);
        mCursor.mForward.quiet = false;
        if (gSoundManager) {
            gSoundManager->fSetSilenced(mSilenced);
        }
        gLaunchDigestEvery = mDigestEvery;
        gLaunchTraceStage = mTrace;
    }
    CQuiet(const CQuiet&) = delete;
    CQuiet& operator=(const CQuiet&) = delete;

    // A stage built while quiet has a key player of its own.
    static void fSetLiveKeys(bool on) {
        if (auto* player = dynamic_cast<CKeyPlayer*>(gKeyManager.get())) {
            player->fSetLiveKeys(on);
        }
    }

private:
    CReplayCursor& mCursor;
    bool mTrace;
    int mDigestEvery;
    bool mSilenced;
};

void CReplayCursor::CForwardHost::fOpenTip() {
    if (!quiet) {
        mHost.fOpenTip();
    }
}

void CReplayCursor::CForwardHost::fOnStageEnd(const CStage& stage) {
    ended = true;
    if (!quiet) {
        mHost.fOnStageEnd(stage);
    }
}

void CReplayCursor::CForwardHost::fLeaveStage() {
    left = true;
    if (!quiet) {
        mHost.fLeaveStage();
    }
}

void CReplayCursor::CForwardHost::fToggleFastForward() {
    if (!quiet) {
        mHost.fToggleFastForward();
    }
}

void CReplayCursor::CForwardHost::fRestoreFramePacing() {
    if (!quiet) {
        mHost.fRestoreFramePacing();
    }
}

void CReplayCursor::CForwardHost::fToggleProfiler() {
    if (!quiet) {
        mHost.fToggleProfiler();
    }
}

void CReplayCursor::CForwardHost::fMeasureStart(const char* name) {
    if (!quiet) {
        mHost.fMeasureStart(name);
    }
}

void CReplayCursor::CForwardHost::fMeasureEnd(const char* name) {
    if (!quiet) {
        mHost.fMeasureEnd(name);
    }
}

CReplayCursor::CReplayCursor(std::string name, SReplayInput input, CStageHost& host)
    : mName(std::move(name)), mInput(std::move(input)), mForward(host) {
    TAVONI_CHECK(mInput.keys != nullptr, "GameMain/CReplayCursor", "a cursor needs a replay's keys");
}

// The stage goes first: its run gives the live keyboard and the previous random generator back.
CReplayCursor::~CReplayCursor() {
    mStage.reset();
}

CStage& CReplayCursor::fGetStage() {
    TAVONI_CHECK(mStage != nullptr, "GameMain/CReplayCursor", "no stage");
    return *mStage;
}

const CStage& CReplayCursor::fGetStage() const {
    TAVONI_CHECK(mStage != nullptr, "GameMain/CReplayCursor", "no stage");
    return *mStage;
}

void CReplayCursor::fBuild() {
    // The old run ends before the new one starts: both swap the key manager and the random generator.
    mStage.reset();
    mSteps = 0;
    mForward.ended = false;
    mForward.left = false;
    mStage = std::make_unique<CStage>(mName, true, &mForward, mInput);
    CQuiet::fSetLiveKeys(mLiveKeys && !mForward.quiet);
}

void CReplayCursor::fOpen() {
    fBuild();
}

void CReplayCursor::fStep() {
    TAVONI_CHECK(mStage != nullptr && !mForward.ended, "GameMain/CReplayCursor", "no stage in play");
    if (mSteps > 0) {
        gKeyManager->fUpdate();
        mStage->fInput();
    }
    if (!mForward.ended) {
        mStage->fUpdate();
    }
    ++mSteps;
}

void CReplayCursor::fSeek(int steps) {
    const int target = std::max(0, steps);
    const CQuiet quiet(*this);
    if (mStage == nullptr || mForward.ended || target < mSteps) {
        fBuild();
    }
    while (mSteps < target && !mForward.ended) {
        fStep();
    }
}

SReplaySurvey CReplayCursor::fSurvey() {
    SReplaySurvey survey;
    {
        const CQuiet quiet(*this);
        fBuild();
        SRunStats seen;
        int rank = 0;
        auto mark = [&survey](SReplayMoment::EKind kind, int frame) {
            survey.moments.push_back({kind, frame});
        };
        while (!mForward.ended) {
            fStep();
            const CStage& stage = *mStage;
            const SRunStats& now = stage.fGetStats();
            const int frame = stage.fGetFrameCounter();
            for (int i = seen.dishes; i < now.dishes; ++i) {
                mark(SReplayMoment::EKind::DISH, frame);
            }
            for (int i = seen.faints; i < now.faints; ++i) {
                mark(SReplayMoment::EKind::FAINT, frame);
            }
            for (int i = seen.bigMultiKills; i < now.bigMultiKills; ++i) {
                mark(SReplayMoment::EKind::MULTI_KILL, frame);
            }
            for (int r = rank; r < stage.fGetRank(); ++r) {
                mark(SReplayMoment::EKind::RANK_UP, frame);
            }
            rank = std::max(rank, stage.fGetRank());
            seen = now;
            survey.playFrames = std::max(survey.playFrames, frame);
        }
        survey.finalScore = mStage->fGetScore();
        // Its end gave the keyboard back; the stage itself goes too.
        mStage.reset();
        mSteps = 0;
    }
    return survey;
}
