// The window framework: frame pictures, focus movement, fading, the list helper's sizes and the focus box.
#include "GuiTestEnv.h"
#include "base/CException.h"
#include "gui/CMainWindow.h"
#include "gui/FrameImage.h"
#include "gui/GuiHelper.h"
#include "gui/GuiStyle.h"
#include "medialib/DxTestSupport.h"

#include <string>
#include <vector>

namespace {

// ---- the frame picture, on real pixels ----------------------------------------------------------------

class FrameImageTest : public dxtest::MediaTest {
protected:
    static constexpr int W = 30, H = 26, L = 7, T = 5, R = 9, B = 6;
    static constexpr unsigned kBackground = 0x203040;

    static unsigned fSourceColour(int x, int y) {
        // The top-left corner has a hole in the transparent colour.
        if (x < 3 && y < 2) {
            return 0xff00ff;
        }
        return dx_GetColor(x * 8, y * 9, 255 - (x + y) * 3);
    }

    // A picture whose every pixel tells where it came from.
    int fSource() {
        const std::string file = makeImage("frame.png", W, H, [] {
            for (int y = 0; y < H; ++y) {
                for (int x = 0; x < W; ++x) {
                    dx_DrawBox(x, y, x + 1, y + 1, fSourceColour(x, y), 1);
                }
            }
        });
        const int image = dx_LoadGraph(file.c_str());
        EXPECT_GT(image, 0) << dx_GetLastError();
        return image;
    }

    static CWindowBgInfo fLayer(int image) {
        CWindowBgInfo layer;
        layer.image = image;
        layer.marginLeft = L;
        layer.marginTop = T;
        layer.marginRight = R;
        layer.marginBottom = B;
        return layer;
    }
};

TEST_F(FrameImageTest, TheSourceSizeGivesTheSourcePicture) {
    const int source = fSource();
    const int built = fBuildFrameImage(fLayer(source), W, H);
    int w = 0, h = 0;
    ASSERT_EQ(dx_GetGraphSize(built, &w, &h), 0);
    EXPECT_EQ(w, W);
    EXPECT_EQ(h, H);
    dx_ClsDrawScreen();
    dx_DrawBox(0, 0, 640, 480, kBackground, 1);
    // As stored, and with the transparent colour left out.
    dx_DrawGraph(0, 0, source, 0);
    dx_DrawGraph(100, 0, built, 0);
    dx_DrawGraph(0, 100, source, 1);
    dx_DrawGraph(100, 100, built, 1);
    int differences = 0;
    for (int oy : {0, 100}) {
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x) {
                differences += dx_GetPixel(x, oy + y) != dx_GetPixel(100 + x, oy + y);
            }
        }
    }
    EXPECT_EQ(differences, 0);
    EXPECT_EQ(dx_GetPixel(100, 100), kBackground) << "the transparent hole is kept";
}

TEST_F(FrameImageTest, LargerSizesRepeatTheMiddlePiecesAndKeepTheCorners) {
    const int source = fSource();
    // Past the screen a layer is cut to it: nothing beyond could ever be seen.
    int cutW = 0, cutH = 0;
    dx_GetGraphSize(fBuildFrameImage(fLayer(source), 700, 500), &cutW, &cutH);
    EXPECT_EQ(cutW, 640);
    EXPECT_EQ(cutH, 480);
    // Two whole middle pieces and a part of a third across, one and a part down.
    const int tw = L + 2 * (W - L - R) + 5 + R, th = T + (H - T - B) + 4 + B;
    const int built = fBuildFrameImage(fLayer(source), tw, th);
    dx_ClsDrawScreen();
    dx_DrawGraph(0, 0, built, 0);
    auto sourceCoordinate = [](int t, int size, int lo, int hi, int targetSize) {
        if (t < lo) {
            return t;
        }
        if (t >= targetSize - hi) {
            return size - hi + (t - (targetSize - hi));
        }
        return lo + (t - lo) % (size - lo - hi);
    };
    int wrong = 0;
    for (int y = 0; y < th; ++y) {
        for (int x = 0; x < tw; ++x) {
            const int sx = sourceCoordinate(x, W, L, R, tw);
            const int sy = sourceCoordinate(y, H, T, B, th);
            wrong += dx_GetPixel(x, y) != fSourceColour(sx, sy);
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(FrameImageTest, APictureSmallerThanItsMarginsIsRefused) {
    const int source = fSource();
    CWindowBgInfo layer = fLayer(source);
    layer.marginLeft = W - R; // no middle column left
    try {
        fBuildFrameImage(layer, 100, 100);
        FAIL() << "accepted";
    } catch (const CException& e) {
        EXPECT_NE(std::string(e.what()).find("too small for its margins"), std::string::npos) << e.what();
    }
    EXPECT_THROW(fBuildFrameImage(fLayer(-1), 100, 100), CException);
    CMainWindow window;
    EXPECT_THROW(window.fCreate(100, 100, {layer}), CException);
}

// ---- focus, fading and the list helper ------------------------------------------------------------------

class ListWindowTest : public GuiTest {
protected:
    std::unique_ptr<CMainWindow> fList(const std::vector<std::string>& names) {
        CSetupWindowInfo info;
        info.fSetFrame(SWindowRect{10, 20, 0, 0}, gFont24, gui::fTextColour(), gui::fFocusTextColour(), 25,
                       15, 20, 10);
        for (const CWindowBgInfo& layer : gui::fStandardLayers()) {
            info.fAddLayer(layer);
        }
        for (const std::string& name : names) {
            info.fAddLabel(name, "「" + name + "」");
        }
        return fCreateListWindow(info);
    }
};

TEST_F(ListWindowTest, FocusMovesBetweenNeighboursAndWraps) {
    struct Case {
        std::vector<std::string> labels;
        std::vector<int> moves;
        std::vector<std::string> focus; // after each move
    };
    const Case cases[] = {
        {{"only"}, {FOCUS_UP, FOCUS_DOWN, FOCUS_LEFT, FOCUS_RIGHT}, {"only", "only", "only", "only"}},
        {{"a", "b", "c"},
         {FOCUS_DOWN, FOCUS_DOWN, FOCUS_DOWN, FOCUS_UP, FOCUS_LEFT, FOCUS_RIGHT},
         {"b", "c", "a", "c", "c", "c"}},
    };
    for (const Case& c : cases) {
        auto window = fList(c.labels);
        ASSERT_EQ(window->fGetFocusName(), c.labels.front());
        for (std::size_t i = 0; i < c.moves.size(); ++i) {
            window->fMoveFocus(c.moves[i]);
            EXPECT_EQ(window->fGetFocusName(), c.focus[i]) << c.labels.size() << " labels, move " << i;
            int focused = 0;
            for (const std::string& name : c.labels) {
                focused += window->fGetWidget(name)->fIsFocused();
            }
            EXPECT_EQ(focused, 1);
        }
    }
}

TEST_F(ListWindowTest, SizesFollowTheFontTheLinesAndTheMargins) {
    ASSERT_EQ(gui::fFontSize(gFont24), 24);
    auto window = fList({"a", "bb", "ccc"});
    const int widest = dx_GetDrawStringWidthToHandle("「ccc」", int(std::string("「ccc」").size()), gFont24);
    // Three lines of 24 with two gaps of 12 between them, margins 20 above and 10 below.
    EXPECT_EQ(window->fGetHeight(), 3 * 24 + 2 * 12 + 20 + 10);
    EXPECT_EQ(window->fGetWidth(), widest + 25 + 15);
    EXPECT_EQ(window->fGetRect(), (SWindowRect{10, 20, widest + 40, 126}));
    const char* const names[3] = {"a", "bb", "ccc"};
    for (int i = 0; i < 3; ++i) {
        const auto* label = window->fGetTextLabel(names[i]);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->fGetRect().x, 25);
        EXPECT_EQ(label->fGetRect().y, 20 + 36 * i);
        EXPECT_EQ(label->fGetStyle().width, widest) << "the focus box spans the inside";
    }

    // An explicit size wins; the layers follow the window.
    CSetupWindowInfo info;
    info.fSetFrameHV(SWindowRect{0, 0, 0, 0}, gFont24, 0, 0, 20, 20);
    info.fAddLayer(gui::fStandardLayers().front());
    info.fAddLabel("x", "x");
    auto sized = fCreateListWindow(info, nullptr, 300, 90);
    EXPECT_EQ(sized->fGetWidth(), 300);
    EXPECT_EQ(sized->fGetHeight(), 90);
    EXPECT_EQ(sized->fGetTextLabel("x")->fGetStyle().width, 260);
}

TEST_F(ListWindowTest, AlphaSpeedsStopAtTheBounds) {
    auto window = fList({"a"});
    CMainWindow::CWidget* label = window->fGetWidget("a");
    struct Case {
        double start, speed, after1, after2;
    };
    for (const Case& c :
         {Case{200, 40, 240, 255}, Case{250, 40, 255, 255}, Case{50, -30, 20, 0}, Case{10, -30, 0, 0}}) {
        label->fSetAlpha(c.start);
        label->fSetAlphaSpeed(c.speed);
        window->fUpdate();
        EXPECT_EQ(label->fGetAlpha(), c.after1) << c.start << " by " << c.speed;
        window->fUpdate();
        EXPECT_EQ(label->fGetAlpha(), c.after2) << c.start << " by " << c.speed;
    }
    // The plain image of a window without layers fades the same way.
    CMainWindow plain;
    plain.fSetImage(CDrawData(fMakeDrawDataFromName(gui::kWindowBgImage)), 250, 0);
    plain.fSetAlphaSpeed(10);
    plain.fUpdate();
    EXPECT_EQ(plain.fGetAlpha(), 255);
    plain.fSetAlphaSpeed(-200);
    plain.fUpdate();
    plain.fUpdate();
    EXPECT_EQ(plain.fGetAlpha(), 0);
}

TEST_F(ListWindowTest, TheFocusBoxSurroundsItsLine) {
    auto window = fList({"a", "b"});
    const int c = dx_GetDrawStringWidthToHandle("a", 1, gFont24);
    ASSERT_EQ(c, 12);
    const int inner = window->fGetTextLabel("a")->fGetStyle().width.value();
    dx_SetCallLog(true);
    dx_ClearCallLog();
    window->fMoveFocus(FOCUS_DOWN);
    window->fDraw();
    // Line "b" is at (10 + 25, 20 + 20 + 36); the default style's box is 6 - 2 pixels around it.
    const int x = 35, y = 76;
    char box[96];
    std::snprintf(box, sizeof box, "DrawBox(%d,%d,%d,%d,0x8282ff,1)", x - 4, y - 4, x + 4 + inner, y + 28);
    const auto& log = dx_GetCallLog();
    EXPECT_NE(std::find(log.begin(), log.end(), box), log.end()) << box;
    EXPECT_NE(
        std::find(log.begin(), log.end(),
                  "DrawStringToHandle(35,76,\"「b」\",0xd0b6a6," + std::to_string(gFont24) + ",0x000000,0)"),
        log.end());
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [](const std::string& l) { return l.rfind("DrawBox", 0) == 0; }),
              2)
        << "one filled box and its outline, for the focused line only";
}

TEST_F(ListWindowTest, WidgetsByName) {
    auto window = fList({"a", "b"});
    EXPECT_EQ(window->fGetWidget("none"), nullptr);
    EXPECT_FALSE(window->fSetFocus("none", true));
    EXPECT_TRUE(window->fSetFocus("b", true));
    EXPECT_FALSE(window->fGetWidget("a")->fIsFocused()) << "one focus per window";
    EXPECT_TRUE(window->fRemoveWidget("b"));
    EXPECT_FALSE(window->fRemoveWidget("b"));
    EXPECT_EQ(window->fGetFocusName(), "");
    window->fSetFocus("a", true);
    window->fMoveFocus(FOCUS_DOWN); // its neighbour is gone
    EXPECT_EQ(window->fGetFocusName(), "a");
    EXPECT_EQ(window->fGetOrder(), std::vector<std::string>{"a"});
    CMainWindowNull none;
    EXPECT_TRUE(none.fIsNull());
    EXPECT_FALSE(window->fIsNull());
}

} // namespace
