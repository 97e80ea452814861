#include "gui/GuiHelper.h"

#include "gui/GuiStyle.h"

#include <algorithm>
#include <dx/DxLib.h>

void CSetupWindowInfo::fSetFrame(const SWindowRect& rect_, int font_, unsigned int normalColour_,
                                 unsigned int focusColour_, int left, int right, int top, int bottom) {
    rect = rect_;
    font = font_;
    normalColour = normalColour_;
    focusColour = focusColour_;
    marginLeft = left;
    marginRight = right;
    marginTop = top;
    marginBottom = bottom;
}

void CSetupWindowInfo::fSetFrameHV(const SWindowRect& rect_, int font_, unsigned int normalColour_,
                                   unsigned int focusColour_, int horizontal, int vertical) {
    fSetFrame(rect_, font_, normalColour_, focusColour_, horizontal, horizontal, vertical, vertical);
}

void CSetupWindowInfo::fAddLabel(const std::string& name, const std::string& text) {
    labels.push_back(SLabelInfo{name, text, normalColour, focusColour});
}

void CSetupWindowInfo::fAddLabelColoured(const std::string& name, const std::string& text,
                                         unsigned int normalColour_, unsigned int focusColour_) {
    labels.push_back(SLabelInfo{name, text, normalColour_, focusColour_});
}

void CSetupWindowInfo::fAddLayer(int image, double alpha, int left, int top, int right, int bottom,
                                 bool transparent) {
    fAddLayerSized(-1, -1, image, alpha, left, top, right, bottom, transparent);
}

void CSetupWindowInfo::fAddLayerSized(int width, int height, int image, double alpha, int left, int top,
                                      int right, int bottom, bool transparent) {
    layers.push_back(CWindowBgInfo{image, width, height, left, top, right, bottom, alpha, transparent});
}

SWindowRect fListContentSize(const CSetupWindowInfo& info) {
    const int s = gui::fFontSize(info.font);
    const int count = static_cast<int>(info.labels.size());
    int widest = 0;
    for (const SLabelInfo& label : info.labels) {
        widest = std::max(widest, dx_GetDrawStringWidthToHandle(
                                      label.text.c_str(), static_cast<int>(label.text.size()), info.font));
    }
    return SWindowRect{info.rect.x, info.rect.y, widest + info.marginLeft + info.marginRight,
                       (s + s / 2) * count + info.marginTop + info.marginBottom - s / 2};
}

std::unique_ptr<CMainWindow> fCreateListWindow(const CSetupWindowInfo& info, const CFocusBgInfo* focusStyle,
                                               std::optional<int> width, std::optional<int> height) {
    const int s = gui::fFontSize(info.font);
    const SWindowRect content = fListContentSize(info);
    const int w = width.value_or(content.w);
    const int h = height.value_or(content.h);
    std::vector<CWindowBgInfo> layers = info.layers;
    for (CWindowBgInfo& layer : layers) {
        layer.width = layer.width < 0 ? w : layer.width;
        layer.height = layer.height < 0 ? h : layer.height;
    }
    auto window = std::make_unique<CMainWindow>();
    window->fCreate(w, h, layers);
    window->fSetRect(info.rect.x, info.rect.y, window->fGetWidth(), window->fGetHeight());

    CFocusBgInfo style = focusStyle ? *focusStyle : gui::fListFocusStyle();
    style.width = w - info.marginLeft - info.marginRight;
    const int count = static_cast<int>(info.labels.size());
    for (int i = 0; i < count; ++i) {
        const SLabelInfo& label = info.labels[std::size_t(i)];
        window->fAddTextLabel(label.name);
        window->fSetWidgetRect(label.name, SWindowRect{info.marginLeft, (s + s / 2) * i + info.marginTop,
                                                       w - info.marginLeft - info.marginRight, s});
        window->fSetupTextLabel(label.name, label.normalColour, label.focusColour, info.font, "", 255, style);
        window->fSetLabelText(label.name, label.text);
    }
    for (int i = 0; i < count; ++i) {
        const std::string& name = info.labels[std::size_t(i)].name;
        window->fSetWidgetNeighbour(name, FOCUS_UP, info.labels[std::size_t((i + count - 1) % count)].name);
        window->fSetWidgetNeighbour(name, FOCUS_DOWN, info.labels[std::size_t((i + 1) % count)].name);
    }
    if (count > 0) {
        window->fSetFocus(info.labels.front().name, true);
    }
    return window;
}

std::unique_ptr<CMainWindow> fCreateMenuList(int x, int y,
                                             const std::vector<std::pair<std::string, std::string>>& labels,
                                             std::optional<int> width) {
    CSetupWindowInfo info;
    info.fSetFrameHV(SWindowRect{x, y, -1, -1}, gui::fStandardFont(), gui::fTextColour(),
                     gui::fFocusTextColour(), 25, 20);
    for (const CWindowBgInfo& layer : gui::fStandardLayers()) {
        info.fAddLayer(layer);
    }
    for (const auto& [name, text] : labels) {
        info.fAddLabel(name, text);
    }
    const CFocusBgInfo style = gui::fMenuFocusStyle();
    return fCreateListWindow(info, &style, width);
}
