#include "GameMain/CTheaterOverlay.h"

#include "GameMain/TheaterTexts.h"
#include "base/TimeText.h"
#include "gui/FrameImage.h"
#include "gui/GuiStyle.h"
#include "render/GameFonts.h"

#include <algorithm>
#include <cstring>
#include <dx/DxLib.h>

namespace {
constexpr int kPanelX = 4;
constexpr int kPanelY = 388;
constexpr int kPanelWidth = 632;
constexpr int kPanelHeight = 90;

// The controls' line needs a smaller letter than any of the game's fonts: made once, kept for the
// program's life like the others.
int fSmallFont() {
    static const int font = dx_CreateFontToHandle(nullptr, 15, 0, DX_FONTTYPE_ANTIALIASING);
    return font >= 0 ? font : gFont20;
}

int fTextWidth(const std::string& text, int font) {
    return dx_GetDrawStringWidthToHandle(text.c_str(), static_cast<int>(text.size()), font);
}

unsigned int fMomentColour(SReplayMoment::EKind kind) {
    switch (kind) {
    case SReplayMoment::EKind::DISH:
        return dx_GetColor(240, 140, 40);
    case SReplayMoment::EKind::FAINT:
        return dx_GetColor(200, 40, 40);
    case SReplayMoment::EKind::RANK_UP:
        return dx_GetColor(250, 210, 40);
    case SReplayMoment::EKind::MULTI_KILL:
        return dx_GetColor(60, 150, 230);
    }
    return dx_GetColor(255, 255, 255);
}

std::string fSpeedText(int quarters) {
    if (quarters < 4) {
        return "×1/" + std::to_string(4 / quarters);
    }
    return "×" + std::to_string(quarters / 4);
}
} // namespace

CTheaterOverlay::CTheaterOverlay() {
    for (const CWindowBgInfo& layer : gui::fStandardLayers(kPanelWidth, kPanelHeight)) {
        mLayerImages.push_back(fBuildFrameImage(layer, kPanelWidth, kPanelHeight));
        mLayerAlphas.push_back(static_cast<int>(layer.alpha));
    }
}

CTheaterOverlay::~CTheaterOverlay() {
    for (int image : mLayerImages) {
        dx_DeleteGraph(image);
    }
}

void CTheaterOverlay::fUpdate() {
    if (mIdleFrames < kShownFrames + kFadeFrames) {
        ++mIdleFrames;
    }
}

int CTheaterOverlay::fGetAlpha() const {
    if (mIdleFrames <= kShownFrames) {
        return 255;
    }
    const int fading = mIdleFrames - kShownFrames;
    return std::max(0, 255 - 255 * fading / kFadeFrames);
}

void CTheaterOverlay::fDraw(const STheaterView& view) const {
    const int alpha = fGetAlpha();
    if (alpha <= 0) {
        return;
    }
    for (std::size_t i = 0; i < mLayerImages.size(); ++i) {
        dx_SetDrawBlendMode(1, mLayerAlphas[i] * alpha / 255);
        dx_DrawGraph(kPanelX, kPanelY, mLayerImages[i], 1);
    }
    fDrawTimeline(view, alpha);
    fDrawTexts(view, alpha);
    dx_SetDrawBlendMode(0, 0);
}

void CTheaterOverlay::fDrawTimeline(const STheaterView& view, int alpha) const {
    const int length = std::max(1, view.length);
    const int width = kTimelineRight - kTimelineLeft;
    auto xOf = [&](int frame) { return kTimelineLeft + width * std::clamp(frame, 0, length) / length; };
    dx_SetDrawBlendMode(1, alpha);
    dx_DrawBox(kTimelineLeft, kTimelineTop, kTimelineRight, kTimelineBottom, dx_GetColor(236, 222, 196), 1);
    dx_DrawBox(kTimelineLeft, kTimelineTop, xOf(view.position), kTimelineBottom, dx_GetColor(214, 120, 66),
               1);
    if (view.moments != nullptr) {
        for (const SReplayMoment& moment : *view.moments) {
            const int x = xOf(moment.frame);
            dx_DrawBox(x - 1, kTimelineTop - 5, x + 2, kTimelineBottom + 5, fMomentColour(moment.kind), 1);
        }
    }
    dx_DrawBox(kTimelineLeft - 1, kTimelineTop - 1, kTimelineRight + 1, kTimelineBottom + 1,
               gui::fTextColour(), 0);
    // Where the playback is: a knob on the line.
    const int x = xOf(view.position);
    dx_DrawBox(x - 3, kTimelineTop - 7, x + 4, kTimelineBottom + 7, gui::fTextColour(), 1);
    dx_DrawBox(x - 1, kTimelineTop - 5, x + 2, kTimelineBottom + 5, dx_GetColor(255, 248, 230), 1);
}

void CTheaterOverlay::fDrawTexts(const STheaterView& view, int alpha) const {
    dx_SetDrawBlendMode(1, alpha);
    const unsigned int ink = gui::fTextColour();
    const int font = gFont20;
    // "リプレイ" on a dark label, then whose and the score.
    const std::string label = fTr(theater_text::kReplay);
    const int labelWidth = fTextWidth(label, fSmallFont());
    dx_DrawBox(22, 398, 22 + labelWidth + 12, 419, ink, 1);
    dx_DrawStringToHandle(28, 401, label.c_str(), dx_GetColor(255, 240, 210), fSmallFont());
    const std::string who = view.who + "   " + fTr(theater_text::kScore) + " " + std::to_string(view.score);
    dx_DrawStringToHandle(22 + labelWidth + 22, 398, who.c_str(), ink, font);
    std::string state = std::string(fTr(theater_text::kSpeed)) + " " + fSpeedText(view.speedQuarters);
    if (view.fastForward) {
        state = std::string(fTr(theater_text::kFastForward)) + "  " + state;
    }
    if (view.paused) {
        state = std::string(fTr(theater_text::kPaused)) + "  " + state;
    }
    dx_DrawStringToHandle(614 - fTextWidth(state, font), 398, state.c_str(),
                          view.paused ? dx_GetColor(190, 50, 30) : ink, font);
    const std::string time =
        fFramesToTimeText(std::min(view.position, view.length)) + " / " + fFramesToTimeText(view.length);
    dx_DrawStringToHandle(614 - fTextWidth(time, font), 424, time.c_str(), ink, font);
    dx_DrawStringToHandle(22, 452, fTr(view.padHelp ? theater_text::kPadHelp : theater_text::kKeyHelp), ink,
                          fSmallFont());
}
