#include "NullMediaFixture.h"
#include "render/CDrawData.h"
#include "render/CDrawDataQueue.h"

#include <dx/DxLib.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {
class DrawDataCalls : public NullMediaFixture {};

SDrawData sprite(int handle, int w, int h) {
    SDrawData d = fMakeDrawData(handle);
    d.fSetSizeAndCenter(w, h);
    d.fSetSourceSize(w, h);
    return d;
}
} // namespace

TEST(DrawData, MadeFromAHandleIsAStillImage) {
    SDrawData d = fMakeDrawData(7);
    EXPECT_EQ(d.fGetCelCount(), 1);
    EXPECT_EQ(d.fGetCurrentHandle(), 7);
    EXPECT_EQ(d.animeWait, -1);
    for (int i = 0; i < 5; ++i) {
        d.fUpdateAnime();
    }
    EXPECT_EQ(d.celIndex, 0);
    EXPECT_EQ(d.animeCounter, 0);
    EXPECT_FALSE(d.finished);
}

TEST(DrawData, AlphaIsClamped) {
    SDrawData d;
    d.fSetAlpha(300);
    EXPECT_EQ(d.fGetAlpha(), 255.0);
    d.fSetAlpha(-5);
    EXPECT_EQ(d.fGetAlpha(), 0.0);
    d.fSetAlpha(128.5);
    EXPECT_EQ(d.fGetAlpha(), 128.5);
}

TEST(DrawData, NonLoopingAnimationShowsEachCelWaitPlusOneUpdates) {
    SDrawData d;
    d.fAddCel(1);
    d.fAddCel(2);
    d.fAddCel(3);
    d.fSetAnimeWait(2);
    d.fSetLoop(false);
    std::vector<int> shown;
    for (int i = 0; i < 12; ++i) {
        shown.push_back(d.fGetCurrentHandle());
        d.fUpdateAnime();
    }
    const std::vector<int> expected{1, 1, 1, 2, 2, 2, 3, 3, 3, 3, 3, 3};
    EXPECT_EQ(shown, expected);
    EXPECT_TRUE(d.finished);
    // The finished flag sets once the last cel has been shown its full time.
    SDrawData e = d;
    e.finished = false;
    e.celIndex = 2;
    e.animeCounter = 1;
    e.fUpdateAnime();
    EXPECT_FALSE(e.finished);
    e.fUpdateAnime();
    EXPECT_TRUE(e.finished);
}

TEST(DrawData, LoopingAnimationWithDivisorRestarts) {
    SDrawData d;
    d.fAddCel(1);
    d.fAddCel(2);
    d.fSetAnimeWait(4);
    d.fSetAnimeDivisor(2); // 4 / 2 + 1 = 3 updates per cel
    std::vector<int> shown;
    for (int i = 0; i < 8; ++i) {
        shown.push_back(d.fGetCurrentHandle());
        d.fUpdateAnime();
    }
    EXPECT_EQ(shown, (std::vector<int>{1, 1, 1, 2, 2, 2, 1, 1}));
    EXPECT_FALSE(d.finished);
}

TEST(DrawData, ResetAnimeKeepsFinishedAndRestoresAlpha) {
    SDrawData d;
    d.fAddCel(1);
    d.fAddCel(2);
    d.celIndex = 1;
    d.animeCounter = 3;
    d.finished = true;
    d.fSetAlpha(10);
    d.fResetAnime();
    EXPECT_EQ(d.celIndex, 0);
    EXPECT_EQ(d.animeCounter, 0);
    EXPECT_EQ(d.alpha, 255.0);
    EXPECT_TRUE(d.finished);
}

TEST(DrawData, CenterToMiddleTruncatesTowardZero) {
    SDrawData d;
    d.fSetSizeAndCenter(25, 33);
    EXPECT_EQ(d.fGetCenter(), SPointI(-12, -16));
}

TEST(DrawData, CopyToSkipsTintAndMirrorAndAppendsCels) {
    SDrawData a = fMakeDrawData(3);
    a.red = 10;
    a.turn = true;
    a.alpha = 99;
    a.scale = 2.0;
    a.width = 40;
    SDrawData b = fMakeDrawData(8);
    a.fCopyTo(b);
    EXPECT_EQ(b.red, 255);
    EXPECT_FALSE(b.turn);
    EXPECT_EQ(b.alpha, 99);
    EXPECT_EQ(b.scale, 2.0);
    EXPECT_EQ(b.width, 40);
    ASSERT_EQ(b.fGetCelCount(), 2);
    EXPECT_EQ(b.cels[0].handle, 8);
    EXPECT_EQ(b.cels[1].handle, 3);
    CDrawData object(a);
    auto clone = object.fClone();
    EXPECT_EQ(clone->fGetAlpha(), 99);
    EXPECT_FALSE(clone->fGetTurn());
}

TEST(DrawDataDeath, HandleMinusOneIsRefused) {
    EXPECT_DEATH((void)fMakeDrawData(-1), "util.CDrawData");
}

TEST_F(DrawDataCalls, OpaqueUnscaledSpriteIsAPlainDrawWithoutBlending) {
    SDrawData d = sprite(5, 32, 32);
    d.fDrawAt({100.7, 50.2});
    EXPECT_EQ(calls(), (std::vector<std::string>{"DrawGraph(84,34,5,1)"}));
}

TEST_F(DrawDataCalls, AlphaBelow255BlendsAroundThePlainDraw) {
    SDrawData d = sprite(5, 32, 32);
    d.fSetAlpha(254.9);
    d.fDrawAt({16, 16});
    EXPECT_EQ(calls(), (std::vector<std::string>{"SetDrawBlendMode(1,254)", "DrawGraph(0,0,5,1)",
                                                 "SetDrawBlendMode(0,0)"}));
}

TEST_F(DrawDataCalls, MirrorAndExtendChooseTheirCalls) {
    SDrawData d = sprite(5, 32, 32);
    d.fSetTurn(true);
    d.fSetTrans(false);
    d.fDrawAt({16, 16});
    d.fSetExtendSize(64, 16);
    d.fCenterToMiddle();
    d.fDrawAt({32, 8});
    d.fSetTurn(false);
    d.fDrawAt({32, 8});
    EXPECT_EQ(calls(), (std::vector<std::string>{"DrawTurnGraph(0,0,5,0)", "DrawExtendGraph(64,0,0,16,5,0)",
                                                 "DrawExtendGraph(0,0,64,16,5,0)"}));
}

TEST_F(DrawDataCalls, RotatedPathCentresOnTheSourceAndUsesRadians) {
    SDrawData d = sprite(9, 32, 32);
    d.fSetRotate(true);
    d.fSetAngle(90);
    d.fSetScale(1.5);
    d.fDrawAt({100, 100});
    ASSERT_EQ(calls().size(), 3u);
    EXPECT_EQ(calls()[0], "SetDrawBlendMode(1,255)");
    EXPECT_EQ(calls()[1], "DrawRotaGraph(100,100,1.5,1.5708,9,1,0)");
    EXPECT_EQ(calls()[2], "SetDrawBlendMode(0,0)");
    dx_ClearCallLog();
    // Extended sprites scale by draw width / source width, even without the rotate flag.
    SDrawData e = sprite(9, 32, 32);
    e.fSetExtendSize(64, 64);
    e.fSetScale(2.0);
    e.fDrawAt({0, 0});
    EXPECT_EQ(calls()[1], "DrawRotaGraph(0,0,2,0,9,1,0)");
}

TEST_F(DrawDataCalls, TintAndClipAreSetAndRestored) {
    SDrawData d = sprite(5, 32, 32);
    d.fSetRed(100);
    d.clip = true;
    d.clipRect = SRectD(0, 0, 32, 32);
    d.fDrawAt({100, 100});
    EXPECT_EQ(calls(), (std::vector<std::string>{"SetDrawArea(84,84,116,116)", "SetDrawBright(100,255,255)",
                                                 "DrawGraph(84,84,5,1)", "SetDrawBright(255,255,255)",
                                                 "SetDrawArea(0,0,640,480)"}));
}

TEST_F(DrawDataCalls, InvisibleSpriteTouchesNothing) {
    SDrawData d = sprite(5, 32, 32);
    d.fSetVisible(false);
    d.fSetRed(0);
    d.clip = true;
    d.fSetAlpha(10);
    d.fDrawAt({100, 100});
    EXPECT_TRUE(calls().empty());
}

TEST_F(DrawDataCalls, CelOffsetAndDrawOffsetMoveTheSprite) {
    SDrawData d;
    d.fAddCelWithOffset(4, 3, -2);
    d.fSetSizeAndCenter(10, 10);
    d.offsetX = 0.9;
    d.offsetY = 1.5;
    d.fDrawAt({20, 20});
    EXPECT_EQ(calls(), (std::vector<std::string>{"DrawGraph(18,14,4,1)"}));
}

TEST_F(DrawDataCalls, QueueDrawsLowPrioritiesFirstAndEmpties) {
    CDrawDataQueue queue;
    queue.fPush({0, 0}, fMakeDrawData(1), 5);
    queue.fPush({0, 0}, fMakeDrawData(2), 3);
    queue.fPush({0, 0}, fMakeDrawData(3), 1004);
    queue.fPush({0, 0}, fMakeDrawData(4), -1);
    queue.fFlush();
    EXPECT_EQ(calls(), (std::vector<std::string>{"DrawGraph(0,0,4,1)", "DrawGraph(0,0,2,1)",
                                                 "DrawGraph(0,0,1,1)", "DrawGraph(0,0,3,1)"}));
    EXPECT_EQ(queue.fGetSize(), 0u);
    dx_ClearCallLog();
    queue.fFlush();
    EXPECT_TRUE(calls().empty());
}

TEST_F(DrawDataCalls, SizeFromImageAsksTheMediaLayer) {
    const int h = dx_MakeGraph(48, 20);
    ASSERT_NE(h, -1);
    SDrawData d = fMakeDrawData(h);
    d.fSetSizeAndCenterFromImage();
    EXPECT_EQ(d.fGetWidth(), 48);
    EXPECT_EQ(d.fGetHeight(), 20);
    EXPECT_EQ(d.fGetCenter(), SPointI(-24, -10));
    d.fSetSourceSizeFromImage();
    EXPECT_EQ(d.fGetSourceWidth(), 48);
}
