#include "GameMain/CReplayTheater.h"

#include "GameMain/CFpsTimer.h"
#include "GameMain/CStartMenu.h"
#include "GameMain/TheaterTexts.h"
#include "Stage/CStage.h"
#include "base/LaunchFlags.h"
#include "base/Log.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace {

// "NAME's" in the player's language; a name is at most a few dozen bytes.
std::string fFormatPlayersReplay(const std::string& name) {
    char text[128];
    std::snprintf(text, sizeof text, fTr(theater_text::kPlayersReplay), name.c_str());
    return text;
}
constexpr int kFramesPerSecond = 60;
} // namespace

CReplayTheater::CReplayTheater(std::string path, SReplayInput input, STheaterTitle title)
    : mCursor(std::move(path), std::move(input), mHost), mTitle(std::move(title)) {
    // The theater reads Esc and F1 itself, so that no speed can miss them.
    mCursor.fSetLiveKeys(false);
    mSurvey = mCursor.fSurvey();
    mCursor.fOpen();
    mControls.fSetTimeline(CTheaterOverlay::kTimelineLeft, CTheaterOverlay::kTimelineTop - 8,
                           CTheaterOverlay::kTimelineRight, CTheaterOverlay::kTimelineBottom + 8);
    // A key still held from the menu (the one that chose the replay) is no control until pressed again.
    static_cast<void>(mControls.fRead());
    if (gLaunchTraceStage) {
        std::printf("theater open: %d frames of play, score %d, %zu moments\n", mSurvey.playFrames,
                    mSurvey.finalScore, mSurvey.moments.size());
    }
}

CReplayTheater::~CReplayTheater() = default;

void CReplayTheater::fTrace(const char* what) const {
    if (gLaunchTraceStage) {
        std::printf("theater %s: frame %d speed %d/4%s\n", what, mCursor.fGetPosition(), kSpeeds[mSpeed],
                    mPaused ? " paused" : "");
    }
}

void CReplayTheater::fInput() {
    const bool padHelp = mControls.fLastFromPad();
    const std::vector<STheaterInput> pushed = mControls.fRead();
    if (mControls.fFocusLost() && !mPaused) {
        mPaused = true;
        fTrace("paused");
    }
    if (gLaunchTraceStage && mControls.fLastFromPad() != padHelp) {
        std::printf("theater help: %s\n", padHelp ? "keys" : "pad");
    }
    for (const STheaterInput& input : pushed) {
        if (mLeaving || !fInPlay()) {
            return;
        }
        mOverlay.fWake();
        fApply(input);
    }
}

void CReplayTheater::fApply(const STheaterInput& input) {
    const int position = mCursor.fGetPosition();
    switch (input.control) {
    case ETheaterControl::LEAVE:
        fLeave();
        return;
    case ETheaterControl::FAST_FORWARD:
        mHost.fToggleFastForward();
        fTrace("fast forward");
        return;
    case ETheaterControl::PAUSE:
        mPaused = !mPaused;
        fTrace(mPaused ? "paused" : "resumed");
        return;
    case ETheaterControl::STEP:
        if (mPaused) {
            ++mPendingSteps;
        }
        return;
    case ETheaterControl::STEP_BACK:
        if (mPaused) {
            fSeek(position - 1);
        }
        return;
    case ETheaterControl::SLOWER:
        fChangeSpeed(-1);
        return;
    case ETheaterControl::FASTER:
        fChangeSpeed(1);
        return;
    case ETheaterControl::BACK_5S:
        fSeek(position - 5 * kFramesPerSecond);
        return;
    case ETheaterControl::FORWARD_5S:
        fSeek(position + 5 * kFramesPerSecond);
        return;
    case ETheaterControl::BACK_30S:
        fSeek(position - 30 * kFramesPerSecond);
        return;
    case ETheaterControl::FORWARD_30S:
        fSeek(position + 30 * kFramesPerSecond);
        return;
    case ETheaterControl::TO_START:
        fSeek(0);
        return;
    case ETheaterControl::PREVIOUS_MOMENT:
        fSeekMoment(-1);
        return;
    case ETheaterControl::NEXT_MOMENT:
        fSeekMoment(1);
        return;
    case ETheaterControl::TO_FRACTION:
        fSeek(static_cast<int>(input.fraction * mSurvey.playFrames + 0.5));
        return;
    }
}

void CReplayTheater::fChangeSpeed(int by) {
    mSpeed = std::clamp(mSpeed + by, 0, static_cast<int>(std::size(kSpeeds)) - 1);
    mQuarters = 0;
    fTrace("speed");
}

// Jumps stay within the run's play: its end is the moment time ran out.
void CReplayTheater::fSeek(int frames) {
    mCursor.fSeek(std::clamp(frames, 0, mSurvey.playFrames));
    mQuarters = 0;
    mPendingSteps = 0;
    fTrace("jump");
}

void CReplayTheater::fSeekMoment(int direction) {
    const int position = mCursor.fGetPosition();
    std::vector<int> points;
    for (const SReplayMoment& moment : mSurvey.moments) {
        points.push_back(std::max(0, moment.frame - kMomentLeadIn));
    }
    std::sort(points.begin(), points.end());
    // Moments within a second of each other (a dish and the rank it brings) are one stop.
    points.erase(
        std::unique(points.begin(), points.end(), [](int a, int b) { return b - a < kFramesPerSecond; }),
        points.end());
    if (direction > 0) {
        const auto next = std::upper_bound(points.begin(), points.end(), position);
        if (next != points.end()) {
            fSeek(*next);
        }
        return;
    }
    // Back past the moment just jumped to: half a second of grace, so a second push goes further back.
    const auto previous = std::lower_bound(points.begin(), points.end(), position - kFramesPerSecond / 2);
    if (previous != points.begin()) {
        fSeek(*std::prev(previous));
    }
}

void CReplayTheater::fLeave() {
    mLeaving = true;
    if (gLaunchTraceStage) {
        std::printf("stage left with Esc at play frame %d\n", mCursor.fGetStage().fGetFrameCounter());
    }
    mHost.fRestoreFramePacing();
    gScene = std::make_unique<CStartMenu>();
}

void CReplayTheater::fUpdate() {
    // While paused the panel stays, saying so.
    if (mPaused) {
        mOverlay.fWake();
    }
    mOverlay.fUpdate();
    // The frame timer's own measure, every ten seconds, for the pacing benchmark.
    if (gLaunchTraceStage && gFpsTimer && ++mLoopFrames % 600 == 0) {
        std::printf("pacing %.1f fps, overlay %s\n", gFpsTimer->fGetFps(),
                    mOverlay.fGetAlpha() > 0 ? "shown" : "hidden");
    }
    if (mLeaving) {
        return;
    }
    int steps = mPendingSteps;
    mPendingSteps = 0;
    if (!mPaused) {
        mQuarters += kSpeeds[mSpeed];
        steps += mQuarters / 4;
        mQuarters %= 4;
    }
    for (int i = 0; i < steps && fInPlay(); ++i) {
        mCursor.fStep();
    }
    if (steps > 0 && mPaused) {
        fTrace("step");
    }
}

void CReplayTheater::fDraw() {
    if (!mCursor.fHasStage()) {
        return;
    }
    mCursor.fGetStage().fDraw();
    STheaterView view;
    switch (mTitle.whose) {
    case STheaterTitle::EWhose::OWN:
        view.who = fTr(theater_text::kOwnBest);
        break;
    case STheaterTitle::EWhose::PLAYER:
        view.who = fFormatPlayersReplay(mTitle.name);
        break;
    case STheaterTitle::EWhose::FILE:
        view.who = mTitle.name;
        break;
    }
    view.score = mSurvey.finalScore;
    view.position = std::min(mCursor.fGetPosition(), mSurvey.playFrames);
    view.length = mSurvey.playFrames;
    view.speedQuarters = kSpeeds[mSpeed];
    view.paused = mPaused;
    view.fastForward = gFpsTimer && gFpsTimer->fGetNoWait() && !gLaunchNoWait;
    view.moments = &mSurvey.moments;
    view.padHelp = mControls.fLastFromPad();
    mOverlay.fDraw(view);
}

std::unique_ptr<CReplayTheater> fMakeReplayTheater(const std::string& path, STheaterTitle title) {
    return std::make_unique<CReplayTheater>(path, fLoadReplayInput(path), std::move(title));
}

void CWatchFileScene::fInput() {
    STheaterTitle title;
    title.whose = STheaterTitle::EWhose::FILE;
    title.name = std::filesystem::path(mPath).stem().string();
    try {
        gScene = fMakeReplayTheater(mPath, title);
    } catch (const std::exception& e) {
        fLogWarning("the replay file " + mPath + " cannot be played: " + e.what());
        auto menu = std::make_unique<CStartMenu>();
        menu->fShowNotice(theater_text::kNotAReplay);
        gScene = std::move(menu);
    }
}
