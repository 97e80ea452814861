// A window of the menus: framed background layers (or one plain image), named widgets drawn in the order
// they were added, and a keyboard focus that moves between neighbours. Menus feed it direction moves from the
// game keys and read the focused widget's name.
//
//   auto window = std::make_unique<CMainWindow>();
//   window->fCreate(300, 120, gui::fStandardLayers());   // the layers' pictures are built here
//   window->fSetRect(10, 10, 300, 120);                  // where it is drawn
//   window->fAddTextLabel("yes");
//   window->fSetupTextLabel("yes", colour, focusColour, font, "", 255, gui::fMenuFocusStyle());
//   window->fSetLabelText("yes", "はい");
//
// The vertical list helper (GuiHelper.h) does all of this for a list of labels.
#pragma once

#include "gui/CFocusBgInfo.h"
#include "gui/CWindowBgInfo.h"
#include "gui/GuiTypes.h"
#include "render/CDrawData.h"

#include <any>
#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

enum class ENUM_WIDGET_TYPE { BUTTON, TEXT_LABEL };

class CMainWindow {
public:
    // Base of the widgets; owned by its window, placed relative to the window's top-left.
    class CWidget {
    public:
        explicit CWidget(const CMainWindow& window) : mWindow(window) {}
        virtual ~CWidget() = default;
        CWidget(const CWidget&) = delete;
        CWidget& operator=(const CWidget&) = delete;

        // Moves by the motion and fades by the alpha speed; alpha stays within 0..255.
        virtual void fUpdate();
        virtual void fSetRect(const SWindowRect& rect) { mRect = rect; }
        virtual SWindowRect fGetRect() const { return mRect; }
        // Added to the position every update.
        virtual void fSetMotion(int dx, int dy);
        virtual void fSetAlpha(double alpha);
        virtual void fSetVisible(bool visible) { mVisible = visible; }
        virtual void fSetAlphaSpeed(double speed) { mAlphaSpeed = speed; }
        virtual void fUpdateExtra() = 0;
        virtual void fDraw() const = 0;
        virtual void fSetFocus(bool on) { mFocused = on; }
        // direction: EFocusDirection; an empty name means none.
        virtual void fSetNeighbour(int direction, const std::string& name);
        virtual const std::string& fGetNeighbour(int direction) const;

        virtual ENUM_WIDGET_TYPE fGetType() const = 0;
        double fGetAlpha() const { return mAlpha; }
        bool fIsVisible() const { return mVisible; }
        bool fIsFocused() const { return mFocused; }

    protected:
        const CMainWindow& fWindow() const { return mWindow; }
        // The top-left corner on the screen.
        SPointI fScreenPosition() const;

    private:
        const CMainWindow& mWindow;
        SWindowRect mRect;
        SWindowRect mMotion;
        double mAlpha = 255.0;
        bool mVisible = true;
        double mAlphaSpeed = 0.0;
        bool mFocused = false;
        std::array<std::string, 4> mNeighbours;
    };

    // An image button: one picture normally, another while focused.
    class CButton : public CWidget {
    public:
        using CWidget::CWidget;

        // Alpha of the button and of both pictures.
        virtual void fSetImageAlpha(double alpha);
        // `tag` is an integer kept by the owner that fSetTag writes through; it may be null.
        virtual void fSetup(const CDrawData& normal, const CDrawData& focused, double alpha, int* tag);
        virtual void fSetTag(int value);
        void fUpdateExtra() override;
        void fDraw() const override;
        ENUM_WIDGET_TYPE fGetType() const override { return ENUM_WIDGET_TYPE::BUTTON; }

    private:
        CDrawData mNormal;
        CDrawData mFocused;
        int* mTag = nullptr;
    };

    // One line of text; a focused label is drawn on its highlight box in the focus colour.
    class CTextLabel : public CWidget {
    public:
        using CWidget::CWidget;

        virtual void fSetStyle(const CFocusBgInfo& style) { mStyle = style; }
        // `subText` is kept with the label and never drawn.
        virtual void fSetup(unsigned int normalColour, unsigned int focusColour, int font,
                            const std::string& subText, double alpha, const CFocusBgInfo& style);
        virtual void fSetText(const std::string& text) { mText = text; }
        void fUpdateExtra() override { fUpdate(); }
        void fDraw() const override;
        ENUM_WIDGET_TYPE fGetType() const override { return ENUM_WIDGET_TYPE::TEXT_LABEL; }

        const std::string& fGetText() const { return mText; }
        const std::string& fGetSubText() const { return mSubText; }
        const CFocusBgInfo& fGetStyle() const { return mStyle; }
        unsigned int fGetNormalColour() const { return mNormalColour; }
        unsigned int fGetFocusColour() const { return mFocusColour; }
        int fGetFont() const { return mFont; }

    private:
        unsigned int mNormalColour = 0;
        unsigned int mFocusColour = 0;
        CFocusBgInfo mStyle;
        int mFont = -1;
        std::string mText;
        std::string mSubText;
    };

    CMainWindow() = default;
    // Releases the built layer pictures.
    virtual ~CMainWindow();
    CMainWindow(const CMainWindow&) = delete;
    CMainWindow& operator=(const CMainWindow&) = delete;

    // Builds one picture per layer (fBuildFrameImage). A layer of size -1 takes (width, height); the window
    // takes the larger of the requested size and its layers' size. A CException for a frame picture that
    // cannot be used.
    virtual void fCreate(int width, int height, const std::vector<CWindowBgInfo>& layers);
    // Moves the focus to the focused widget's neighbour in `direction` (EFocusDirection), if it has one.
    virtual void fMoveFocus(int direction);
    virtual void fSetRect(int x, int y, int w, int h) { mRect = SWindowRect{x, y, w, h}; }
    virtual SWindowRect fGetRect() const { return mRect; }
    virtual int fGetWidth() const { return mWidth; }
    virtual int fGetHeight() const { return mHeight; }
    // The plain image's fade per update; its alpha stays within 0..255.
    virtual void fSetAlphaSpeed(double speed) { mAlphaSpeed = speed; }
    // The plain image drawn when the window has no layers.
    virtual void fSetImage(const CDrawData& image, double alpha, int frame);
    virtual void fSetPosition(int x, int y) { mPosition = SPointI{x, y}; }
    virtual SPointI fGetPosition() const { return mPosition; }
    // Anything the owner wants kept with the window; the window never looks at it.
    virtual void fSetAttachment(std::any attachment) { mAttachment = std::move(attachment); }
    virtual void fSetActive(bool active) { mActive = active; }
    virtual bool fIsNull() const { return false; }
    virtual void fDraw() const;
    virtual void fUpdate();
    // Empty when nothing is focused.
    virtual const std::string& fGetFocusName() const { return mFocusName; }
    // Names are unique within a window; adding a name twice is a programming error.
    virtual CButton& fAddButton(const std::string& name);
    virtual CTextLabel& fAddTextLabel(const std::string& name);
    // Null when there is no such widget.
    virtual CWidget* fGetWidget(const std::string& name);
    // False when there is no such widget.
    virtual bool fRemoveWidget(const std::string& name);
    // The operations below need an existing widget (a programming error otherwise).
    virtual void fSetWidgetRect(const std::string& name, const SWindowRect& rect);
    virtual void fSetWidgetMotion(const std::string& name, int dx, int dy);
    virtual void fSetWidgetNeighbour(const std::string& name, int direction, const std::string& neighbour);
    // Sets the widget's focus flag; `on` also makes it the focused widget. False when there is no such
    // widget.
    virtual bool fSetFocus(const std::string& name, bool on);
    virtual void fSetupButton(const std::string& name, const CDrawData& normal, const CDrawData& focused,
                              double alpha, int* tag);
    virtual void fSetupTextLabel(const std::string& name, unsigned int normalColour, unsigned int focusColour,
                                 int font, const std::string& subText, double alpha,
                                 const CFocusBgInfo& style);
    virtual void fSetLabelText(const std::string& name, const std::string& text);

    bool fHasLayers() const { return mHasLayers; }
    bool fIsActive() const { return mActive; }
    double fGetAlpha() const { return mAlpha; }
    const std::any& fGetAttachment() const { return mAttachment; }
    // The widgets' names in drawing order.
    const std::vector<std::string>& fGetOrder() const { return mOrder; }
    CTextLabel* fGetTextLabel(const std::string& name);

private:
    CWidget& fWidget(const std::string& name);
    void fAdd(const std::string& name, std::unique_ptr<CWidget> widget);
    void fReleaseLayers();

    bool mHasLayers = false;
    SPointI mPosition;
    SWindowRect mRect;
    int mWidth = 0;
    int mHeight = 0;
    std::vector<CDrawData> mLayers;
    std::vector<int> mLayerImages; // built by fCreate, deleted with the window
    CDrawData mImage;
    int mImageFrame = 0;
    bool mHasImage = false;
    double mAlpha = 255.0;
    double mAlphaSpeed = 0.0;
    std::any mAttachment;
    std::map<std::string, std::unique_ptr<CWidget>> mWidgets;
    std::vector<std::string> mOrder;
    std::string mFocusName;
    bool mActive = true;
};

// The window a menu holds before it has a real one: it answers fIsNull and draws and updates nothing.
class CMainWindowNull : public CMainWindow {
public:
    bool fIsNull() const override { return true; }
    void fDraw() const override {}
    void fUpdate() override {}
    void fSetImage(const CDrawData&, double, int) override {}
};
