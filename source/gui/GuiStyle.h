// The one look of every window in the game: the two frame layers, the text colours, the standard font and
// the focus styles.
#pragma once

#include "gui/CFocusBgInfo.h"
#include "gui/CWindowBgInfo.h"

#include <vector>

namespace gui {

inline constexpr const char* kWindowBgImage = "ui_parts/window3_bg.png";
inline constexpr const char* kWindowFrameImage = "ui_parts/window3_waku.png";
inline constexpr int kWindowBgAlpha = 220;
inline constexpr int kWindowFrameAlpha = 255;
inline constexpr int kWindowMargin = 20;

// Dark brown text, and the light text shown on a focused (dark) line.
unsigned int fTextColour();
unsigned int fFocusTextColour();

// The font of every window and menu text; a CException when the game's fonts are not made yet.
int fStandardFont();
// Its size in pixels.
int fFontSize(int font);

// The card and its wooden frame, margins 20, transparent; -1 sizes take the window's.
std::vector<CWindowBgInfo> fStandardLayers(int width = -1, int height = -1);

// The list helper's default: a pale blue box with a dark outline.
CFocusBgInfo fListFocusStyle();
// A single highlighted label: a whitish box.
CFocusBgInfo fSingleLabelFocusStyle();
// Menus and message windows: a dark brown bar with its outline.
CFocusBgInfo fMenuFocusStyle();
// The name entry and its confirmation: a dark brown bar, no outline.
CFocusBgInfo fEntryFocusStyle();

} // namespace gui
