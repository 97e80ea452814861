// Pixels drawn by the image and shape calls, read back from the offscreen back screen.
#include "DxTestSupport.h"

#include <cmath>
#include <fstream>

using namespace dxtest;

namespace {

constexpr unsigned kRed = 0xff0000, kGreen = 0x00ff00, kBlue = 0x0000ff, kWhite = 0xffffff,
                   kMagenta = 0xff00ff;

class DxDrawTest : public MediaTest {
protected:
    // 8x4: left half red, right half green.
    int halves() {
        auto file = makeImage("halves.png", 8, 4, [] {
            dx_DrawBox(0, 0, 4, 4, kRed, 1);
            dx_DrawBox(4, 0, 8, 4, kGreen, 1);
        });
        int h = dx_LoadGraph(file.c_str());
        EXPECT_GT(h, 0) << dx_GetLastError();
        return h;
    }
};

TEST_F(DxDrawTest, MagentaIsTransparentOnlyWhenDrawnWithTrans) {
    auto file = makeImage("keyed.png", 4, 4, [] {
        dx_DrawBox(0, 0, 4, 4, kMagenta, 1);
        dx_DrawBox(0, 0, 2, 2, kRed, 1);
    });
    int h = dx_LoadGraph(file.c_str());
    ASSERT_GT(h, 0) << dx_GetLastError();
    dx_DrawBox(0, 0, 640, 480, kBlue, 1);
    dx_DrawGraph(100, 100, h, 1);
    dx_DrawGraph(200, 100, h, 0);
    EXPECT_EQ(dx_GetPixel(100, 100), kRed);
    EXPECT_EQ(dx_GetPixel(103, 103), kBlue);
    EXPECT_EQ(dx_GetPixel(200, 100), kRed);
    EXPECT_EQ(dx_GetPixel(203, 103), kMagenta);
}

TEST_F(DxDrawTest, DivGraphNumbersCellsInRowOrder) {
    // 4 x 2 cells of 8 x 8, cell i coloured (i * 30, 255 - i * 30, 7).
    auto file = makeImage("sheet.png", 32, 16, [] {
        for (int i = 0; i < 8; ++i) {
            dx_DrawBox((i % 4) * 8, (i / 4) * 8, (i % 4) * 8 + 8, (i / 4) * 8 + 8,
                       dx_GetColor(i * 30, 255 - i * 30, 7), 1);
        }
    });
    int cells[8] = {};
    ASSERT_EQ(dx_LoadDivGraph(file.c_str(), 8, 4, 2, 8, 8, cells), 0) << dx_GetLastError();
    for (int i = 0; i < 8; ++i) {
        int w = 0, h = 0;
        ASSERT_EQ(dx_GetGraphSize(cells[i], &w, &h), 0);
        EXPECT_EQ(w, 8);
        EXPECT_EQ(h, 8);
        dx_DrawGraph(i * 10, 50, cells[i], 1);
        EXPECT_EQ(dx_GetPixel(i * 10 + 4, 54), dx_GetColor(i * 30, 255 - i * 30, 7)) << "cell " << i;
        EXPECT_EQ(dx_GetPixel(i * 10 + 8, 54), 0u) << "cell " << i << " drawn wider than 8";
    }
    // Deleting the chips one by one leaves the others drawable.
    EXPECT_EQ(dx_DeleteGraph(cells[0]), 0);
    EXPECT_EQ(dx_DeleteGraph(cells[0]), -1);
    dx_DrawGraph(300, 50, cells[7], 1);
    EXPECT_EQ(dx_GetPixel(300, 50), dx_GetColor(210, 45, 7));
}

TEST_F(DxDrawTest, DerivationGraphCutsAPartOfAnImage) {
    int h = halves();
    int part = dx_DerivationGraph(4, 0, 4, 4, h);
    ASSERT_GT(part, 0);
    dx_DrawGraph(0, 0, part, 1);
    EXPECT_EQ(dx_GetPixel(0, 0), kGreen);
    EXPECT_EQ(dx_GetPixel(4, 0), 0u);
}

TEST_F(DxDrawTest, TurnGraphMirrorsHorizontally) {
    int h = halves();
    dx_DrawTurnGraph(10, 10, h, 1);
    EXPECT_EQ(dx_GetPixel(10, 10), kGreen);
    EXPECT_EQ(dx_GetPixel(17, 13), kRed);
    dx_DrawGraph(10, 20, h, 1);
    EXPECT_EQ(dx_GetPixel(10, 20), kRed);
    EXPECT_EQ(dx_GetPixel(17, 23), kGreen);
}

TEST_F(DxDrawTest, RotaGraphTurnsClockwiseAroundTheCentre) {
    // 8x8 blue with a white marker in the middle of the top edge.
    auto file = makeImage("marker.png", 8, 8, [] {
        dx_DrawBox(0, 0, 8, 8, kBlue, 1);
        dx_DrawBox(3, 0, 5, 2, kWhite, 1);
    });
    int h = dx_LoadGraph(file.c_str());
    ASSERT_GT(h, 0);
    dx_DrawRotaGraph(100, 100, 1.0, M_PI / 2, h, 1);
    EXPECT_EQ(dx_GetPixel(103, 100), kWhite) << "the top should turn to the right";
    EXPECT_EQ(dx_GetPixel(100, 96), kBlue);
    EXPECT_EQ(dx_GetPixel(96, 100), kBlue);
    EXPECT_EQ(dx_GetPixel(95, 100), 0u);
    EXPECT_EQ(dx_GetPixel(104, 100), 0u);

    // Scale 2, no turn: 16x16 centred, the marker at the top.
    dx_DrawRotaGraph(300, 100, 2.0, 0.0, h, 1);
    EXPECT_EQ(dx_GetPixel(300, 93), kWhite);
    EXPECT_EQ(dx_GetPixel(292, 100), kBlue);
    EXPECT_EQ(dx_GetPixel(291, 100), 0u);
    EXPECT_EQ(dx_GetPixel(308, 100), 0u);
}

TEST_F(DxDrawTest, ExtendGraphStretchesAndMirrorsWithExchangedEdges) {
    int h = halves();
    dx_DrawExtendGraph(0, 10, 16, 14, h, 1);
    EXPECT_EQ(dx_GetPixel(0, 11), kRed);
    EXPECT_EQ(dx_GetPixel(7, 11), kRed);
    EXPECT_EQ(dx_GetPixel(8, 11), kGreen);
    EXPECT_EQ(dx_GetPixel(15, 13), kGreen);
    EXPECT_EQ(dx_GetPixel(16, 11), 0u);
    EXPECT_EQ(dx_GetPixel(0, 14), 0u);

    dx_DrawExtendGraph(16, 20, 0, 24, h, 1);
    EXPECT_EQ(dx_GetPixel(0, 21), kGreen);
    EXPECT_EQ(dx_GetPixel(15, 21), kRed);
    EXPECT_EQ(dx_GetPixel(16, 21), 0u);
}

TEST_F(DxDrawTest, RectGraphDrawsAPartOfTheImage) {
    int h = halves();
    dx_DrawRectGraph(50, 50, 4, 0, 4, 4, h, 1, 0);
    EXPECT_EQ(dx_GetPixel(50, 50), kGreen);
    EXPECT_EQ(dx_GetPixel(54, 50), 0u);
}

TEST_F(DxDrawTest, BlendModesMixWithTheScreen) {
    auto file = makeImage("red.png", 4, 4, [] { dx_DrawBox(0, 0, 4, 4, kRed, 1); });
    int h = dx_LoadGraph(file.c_str());
    ASSERT_GT(h, 0);
    dx_DrawBox(0, 0, 640, 480, dx_GetColor(0, 0, 200), 1);
    dx_SetDrawBlendMode(1, 128);
    dx_DrawGraph(10, 10, h, 1);
    dx_DrawBox(20, 10, 24, 14, kRed, 1);
    // Still alpha: the mode stays until changed.
    dx_DrawGraph(30, 10, h, 1);
    dx_SetDrawBlendMode(2, 255);
    dx_DrawGraph(40, 10, h, 1);
    dx_SetDrawBlendMode(0, 0);
    dx_DrawGraph(50, 10, h, 1);
    for (int x : {10, 20, 30}) {
        unsigned c = dx_GetPixel(x + 1, 11);
        EXPECT_NEAR(int(red(c)), 128, 3) << "x " << x;
        EXPECT_EQ(green(c), 0u);
        EXPECT_NEAR(int(blue(c)), 100, 3) << "x " << x;
    }
    EXPECT_EQ(dx_GetPixel(41, 11), dx_GetColor(255, 0, 200));
    EXPECT_EQ(dx_GetPixel(51, 11), kRed);
}

TEST_F(DxDrawTest, DrawBrightTintsImagesAndShapesUntilChanged) {
    auto file = makeImage("white.png", 4, 4, [] { dx_DrawBox(0, 0, 4, 4, kWhite, 1); });
    int h = dx_LoadGraph(file.c_str());
    ASSERT_GT(h, 0);
    dx_SetDrawBright(255, 0, 128);
    dx_DrawGraph(0, 0, h, 1);
    dx_DrawBox(10, 0, 14, 4, kWhite, 1);
    dx_SetDrawBright(255, 255, 255);
    dx_DrawGraph(20, 0, h, 1);
    unsigned tinted = dx_GetPixel(1, 1);
    EXPECT_EQ(red(tinted), 255u);
    EXPECT_EQ(green(tinted), 0u);
    EXPECT_NEAR(int(blue(tinted)), 128, 1);
    EXPECT_EQ(dx_GetPixel(11, 1), tinted);
    EXPECT_EQ(dx_GetPixel(21, 1), kWhite);
}

TEST_F(DxDrawTest, DrawAreaClipsEveryDrawUntilChanged) {
    dx_SetDrawArea(10, 10, 20, 20);
    dx_DrawBox(0, 0, 640, 480, kWhite, 1);
    EXPECT_EQ(dx_GetPixel(9, 9), 0u);
    EXPECT_EQ(dx_GetPixel(10, 10), kWhite);
    EXPECT_EQ(dx_GetPixel(19, 19), kWhite);
    EXPECT_EQ(dx_GetPixel(20, 19), 0u);
    EXPECT_EQ(dx_GetPixel(19, 20), 0u);
    dx_SetDrawArea(0, 0, 640, 480);
    dx_DrawBox(100, 100, 101, 101, kWhite, 1);
    EXPECT_EQ(dx_GetPixel(100, 100), kWhite);
}

TEST_F(DxDrawTest, BoxesAreFilledOrOutlinedWithExclusiveEnds) {
    dx_DrawBox(10, 10, 20, 20, kRed, 1);
    EXPECT_EQ(dx_GetPixel(10, 10), kRed);
    EXPECT_EQ(dx_GetPixel(19, 19), kRed);
    EXPECT_EQ(dx_GetPixel(20, 15), 0u);
    EXPECT_EQ(dx_GetPixel(15, 20), 0u);

    dx_DrawBox(30, 30, 40, 40, kGreen, 0);
    EXPECT_EQ(dx_GetPixel(30, 30), kGreen);
    EXPECT_EQ(dx_GetPixel(35, 30), kGreen);
    EXPECT_EQ(dx_GetPixel(39, 39), kGreen);
    EXPECT_EQ(dx_GetPixel(30, 35), kGreen);
    EXPECT_EQ(dx_GetPixel(35, 35), 0u);
    EXPECT_EQ(dx_GetPixel(40, 35), 0u);
}

TEST_F(DxDrawTest, LinesAndColours) {
    EXPECT_EQ(dx_GetColor(0x12, 0x34, 0x56), 0x123456u);
    dx_DrawLine(0, 50, 100, 50, kGreen);
    dx_DrawLine(200, 0, 200, 40, kBlue);
    EXPECT_EQ(dx_GetPixel(50, 50), kGreen);
    EXPECT_EQ(dx_GetPixel(50, 51), 0u);
    EXPECT_EQ(dx_GetPixel(200, 20), kBlue);
    EXPECT_EQ(dx_GetPixel(201, 20), 0u);
}

TEST_F(DxDrawTest, ScreenCaptureCopiesTheBackScreen) {
    dx_DrawBox(0, 0, 10, 10, kRed, 1);
    dx_DrawBox(10, 0, 20, 10, kGreen, 1);
    int g = dx_MakeGraph(20, 10);
    ASSERT_GT(g, 0);
    ASSERT_EQ(dx_GetDrawScreenGraph(0, 0, 20, 10, g), 0);
    int w = 0, h = 0;
    dx_GetGraphSize(g, &w, &h);
    EXPECT_EQ(w, 20);
    EXPECT_EQ(h, 10);
    dx_ClsDrawScreen();
    EXPECT_EQ(dx_GetPixel(5, 5), 0u);
    dx_DrawGraph(100, 100, g, 0);
    EXPECT_EQ(dx_GetPixel(105, 105), kRed);
    EXPECT_EQ(dx_GetPixel(115, 105), kGreen);
    EXPECT_EQ(dx_GetPixel(120, 105), 0u);
}

TEST_F(DxDrawTest, UnreadableImagesFailNamingTheFile) {
    const std::string missing = path("missing.png");
    EXPECT_EQ(dx_LoadGraph(missing.c_str()), -1);
    EXPECT_NE(dx_GetLastError().find(missing), std::string::npos) << dx_GetLastError();

    const std::string broken = path("broken.png");
    std::ofstream(broken) << "not a picture";
    int cells[4];
    EXPECT_EQ(dx_LoadDivGraph(broken.c_str(), 4, 2, 2, 8, 8, cells), -1);
    EXPECT_NE(dx_GetLastError().find(broken), std::string::npos) << dx_GetLastError();
    EXPECT_EQ(dx_DrawGraph(0, 0, -1, 1), -1);
}

} // namespace

TEST(DxWindowScale, TheLargestWholeMultipleThatFits) {
    const struct {
        int w, h, scale;
    } cases[] = {{640, 480, 1},   {1366, 768, 1},  {1920, 1080, 2},
                 {3840, 2160, 4}, {2560, 1400, 2}, {320, 200, 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(dx_ChooseWindowScale(c.w, c.h), c.scale) << c.w << "x" << c.h;
    }
}
