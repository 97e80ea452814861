#include "gui/CMainWindow.h"

#include "base/Check.h"
#include "gui/FrameImage.h"

#include <algorithm>
#include <dx/DxLib.h>

CMainWindow::~CMainWindow() {
    fReleaseLayers();
}

void CMainWindow::fReleaseLayers() {
    for (int image : mLayerImages) {
        dx_DeleteGraph(image);
    }
    mLayerImages.clear();
    mLayers.clear();
    mHasLayers = false;
}

void CMainWindow::fCreate(int width, int height, const std::vector<CWindowBgInfo>& layers) {
    fReleaseLayers();
    mWidth = width;
    mHeight = height;
    for (const CWindowBgInfo& info : layers) {
        const int w = info.width < 0 ? width : info.width;
        const int h = info.height < 0 ? height : info.height;
        const int image = fBuildFrameImage(info, w, h);
        mLayerImages.push_back(image);
        CDrawData layer(fMakeDrawData(image));
        layer.fSetSizeFromImage();
        layer.fSetAlpha(info.alpha);
        layer.fSetTrans(info.transparent);
        mLayers.push_back(std::move(layer));
        mWidth = std::max(mWidth, w);
        mHeight = std::max(mHeight, h);
    }
    mHasLayers = !layers.empty();
}

void CMainWindow::fMoveFocus(int direction) {
    CWidget* current = fGetWidget(mFocusName);
    if (!current) {
        return;
    }
    const std::string next = current->fGetNeighbour(direction);
    CWidget* target = fGetWidget(next);
    if (!target) {
        return;
    }
    current->fSetFocus(false);
    target->fSetFocus(true);
    mFocusName = next;
}

void CMainWindow::fSetImage(const CDrawData& image, double alpha, int frame) {
    mImage = image;
    mImageFrame = frame;
    mAlpha = std::clamp(alpha, 0.0, 255.0);
    mHasImage = image.fGetCelCount() > 0;
    if (frame >= 0 && frame < image.fGetCelCount()) {
        mImage.fData().celIndex = frame;
    }
}

void CMainWindow::fUpdate() {
    for (const std::string& name : mOrder) {
        mWidgets.at(name)->fUpdateExtra();
    }
    if (mHasImage) {
        mImage.fUpdateAnime();
    }
    mAlpha = std::clamp(mAlpha + mAlphaSpeed, 0.0, 255.0);
}

void CMainWindow::fDraw() const {
    const SPointD topLeft{double(mRect.x), double(mRect.y)};
    if (mHasLayers) {
        for (const CDrawData& layer : mLayers) {
            layer.fDrawAt(topLeft);
        }
    } else if (mHasImage) {
        CDrawData image = mImage;
        image.fSetAlpha(mAlpha); // blended only below 255
        image.fDrawAt(topLeft);
    }
    for (const std::string& name : mOrder) {
        mWidgets.at(name)->fDraw();
    }
}

void CMainWindow::fAdd(const std::string& name, std::unique_ptr<CWidget> widget) {
    TAVONI_CHECK(!name.empty() && mWidgets.count(name) == 0, "gui",
                 "a widget name must be new and not empty");
    mWidgets.emplace(name, std::move(widget));
    mOrder.push_back(name);
}

CMainWindow::CButton& CMainWindow::fAddButton(const std::string& name) {
    auto button = std::make_unique<CButton>(*this);
    CButton& added = *button;
    fAdd(name, std::move(button));
    return added;
}

CMainWindow::CTextLabel& CMainWindow::fAddTextLabel(const std::string& name) {
    auto label = std::make_unique<CTextLabel>(*this);
    CTextLabel& added = *label;
    fAdd(name, std::move(label));
    return added;
}

CMainWindow::CWidget* CMainWindow::fGetWidget(const std::string& name) {
    auto it = mWidgets.find(name);
    return it == mWidgets.end() ? nullptr : it->second.get();
}

CMainWindow::CTextLabel* CMainWindow::fGetTextLabel(const std::string& name) {
    CWidget* widget = fGetWidget(name);
    if (!widget || widget->fGetType() != ENUM_WIDGET_TYPE::TEXT_LABEL) {
        return nullptr;
    }
    return static_cast<CTextLabel*>(widget);
}

CMainWindow::CWidget& CMainWindow::fWidget(const std::string& name) {
    CWidget* widget = fGetWidget(name);
    TAVONI_CHECK(widget != nullptr, "gui", "no widget of that name in the window");
    return *widget;
}

bool CMainWindow::fRemoveWidget(const std::string& name) {
    auto it = mWidgets.find(name);
    if (it == mWidgets.end()) {
        return false;
    }
    mWidgets.erase(it);
    mOrder.erase(std::find(mOrder.begin(), mOrder.end(), name));
    if (mFocusName == name) {
        mFocusName.clear();
    }
    return true;
}

void CMainWindow::fSetWidgetRect(const std::string& name, const SWindowRect& rect) {
    fWidget(name).fSetRect(rect);
}

void CMainWindow::fSetWidgetMotion(const std::string& name, int dx, int dy) {
    fWidget(name).fSetMotion(dx, dy);
}

void CMainWindow::fSetWidgetNeighbour(const std::string& name, int direction, const std::string& neighbour) {
    fWidget(name).fSetNeighbour(direction, neighbour);
}

bool CMainWindow::fSetFocus(const std::string& name, bool on) {
    CWidget* widget = fGetWidget(name);
    if (!widget) {
        return false;
    }
    widget->fSetFocus(on);
    if (on) {
        // One focus per window: the one focused before loses it.
        if (CWidget* previous = fGetWidget(mFocusName); previous && previous != widget) {
            previous->fSetFocus(false);
        }
        mFocusName = name;
    } else if (mFocusName == name) {
        mFocusName.clear();
    }
    return true;
}

void CMainWindow::fSetupButton(const std::string& name, const CDrawData& normal, const CDrawData& focused,
                               double alpha, int* tag) {
    CWidget& widget = fWidget(name);
    TAVONI_CHECK(widget.fGetType() == ENUM_WIDGET_TYPE::BUTTON, "gui", "the widget is not a button");
    static_cast<CButton&>(widget).fSetup(normal, focused, alpha, tag);
}

void CMainWindow::fSetupTextLabel(const std::string& name, unsigned int normalColour,
                                  unsigned int focusColour, int font, const std::string& subText,
                                  double alpha, const CFocusBgInfo& style) {
    CWidget& widget = fWidget(name);
    TAVONI_CHECK(widget.fGetType() == ENUM_WIDGET_TYPE::TEXT_LABEL, "gui", "the widget is not a text label");
    static_cast<CTextLabel&>(widget).fSetup(normalColour, focusColour, font, subText, alpha, style);
}

void CMainWindow::fSetLabelText(const std::string& name, const std::string& text) {
    CWidget& widget = fWidget(name);
    TAVONI_CHECK(widget.fGetType() == ENUM_WIDGET_TYPE::TEXT_LABEL, "gui", "the widget is not a text label");
    static_cast<CTextLabel&>(widget).fSetText(text);
}
