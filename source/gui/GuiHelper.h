// The vertical list window: a description of the frame, the font, the colours, the layers and the labels,
// built into a CMainWindow with one text label per line, sized to fit, the first line focused, and up/down
// neighbours that wrap from the last line to the first and back.
//
//   CSetupWindowInfo info;
//   info.fSetFrameHV(SWindowRect{10, 0, -1, -1}, gui::fStandardFont(), gui::fTextColour(),
//                    gui::fFocusTextColour(), 25, 20);
//   for (const auto& layer : gui::fStandardLayers()) info.fAddLayer(layer);
//   info.fAddLabel("start", "スタート");
//   info.fAddLabel("quit", "おわる");
//   const CFocusBgInfo style = gui::fMenuFocusStyle();
//   std::unique_ptr<CMainWindow> menu = fCreateListWindow(info, &style);
//   ... menu->fMoveFocus(FOCUS_DOWN); if (menu->fGetFocusName() == "quit") ...
#pragma once

#include "gui/CFocusBgInfo.h"
#include "gui/CMainWindow.h"
#include "gui/CWindowBgInfo.h"
#include "gui/GuiTypes.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct SLabelInfo {
    std::string name;
    std::string text;
    unsigned int normalColour = 0;
    unsigned int focusColour = 0;
};

class CSetupWindowInfo {
public:
    virtual ~CSetupWindowInfo() = default;

    // The window's position (rect's size is not used: the window is sized by its content), its font,
    // the text colours of the labels added from now on, and the margins around the lines.
    virtual void fSetFrame(const SWindowRect& rect, int font, unsigned int normalColour,
                           unsigned int focusColour, int left, int right, int top, int bottom);
    // The same with one margin for left and right and one for top and bottom.
    virtual void fSetFrameHV(const SWindowRect& rect, int font, unsigned int normalColour,
                             unsigned int focusColour, int horizontal, int vertical);
    // A line in the current colours.
    virtual void fAddLabel(const std::string& name, const std::string& text);
    virtual void fAddLabelColoured(const std::string& name, const std::string& text,
                                   unsigned int normalColour, unsigned int focusColour);
    // A layer the size of the window's content.
    virtual void fAddLayer(int image, double alpha, int left, int top, int right, int bottom,
                           bool transparent);
    virtual void fAddLayerSized(int width, int height, int image, double alpha, int left, int top, int right,
                                int bottom, bool transparent);
    // A layer as described (the standard ones of gui::fStandardLayers, say).
    void fAddLayer(const CWindowBgInfo& layer) { layers.push_back(layer); }

    SWindowRect rect;
    int marginLeft = 0;
    int marginRight = 0;
    int marginTop = 0;
    int marginBottom = 0;
    unsigned int normalColour = 0;
    unsigned int focusColour = 0;
    int font = -1;
    std::vector<CWindowBgInfo> layers;
    std::vector<SLabelInfo> labels;
};

// The size a list window takes for the description: S = the font's size, each line S + S/2 high (the last
// without the S/2 gap), the widest text across, the margins around.
SWindowRect fListContentSize(const CSetupWindowInfo& info);

// Builds the list window at the description's position. An explicit width or height replaces the fitted
// one; layers of size -1 take the window's size. `focusStyle` null: the list helper's default style
// (gui::fListFocusStyle); either way the focus box spans the window inside its left and right margins. The
// first line is focused. A CException when a frame picture cannot be used.
std::unique_ptr<CMainWindow> fCreateListWindow(const CSetupWindowInfo& info,
                                               const CFocusBgInfo* focusStyle = nullptr,
                                               std::optional<int> width = std::nullopt,
                                               std::optional<int> height = std::nullopt);

// A menu list in the game's one look, as every menu of the game builds it: the standard font and text
// colours, margins 25 left and right and 20 above and below, the two standard layers and the menu focus bar.
// `labels` are the lines' names and texts in order; the window's top-left is at (x, y).
std::unique_ptr<CMainWindow> fCreateMenuList(int x, int y,
                                             const std::vector<std::pair<std::string, std::string>>& labels,
                                             std::optional<int> width = std::nullopt);
