// Fonts and text fields: Japanese text drawn where and as wide as measured, edges, typed input.
#include "DxTestSupport.h"

#include <cstring>

using namespace dxtest;

namespace {

const char* const kPhrase = "たぼに！食べた";

struct Extent {
    int minX = 1 << 30, maxX = -1, minY = 1 << 30, maxY = -1, lit = 0;
};

// Where pixels matching `match` lie inside the rectangle.
template <class Match> Extent scan(int x1, int y1, int x2, int y2, Match match) {
    Extent e;
    for (int y = y1; y < y2; ++y) {
        for (int x = x1; x < x2; ++x) {
            if (match(dx_GetPixel(x, y))) {
                e.minX = std::min(e.minX, x);
                e.maxX = std::max(e.maxX, x);
                e.minY = std::min(e.minY, y);
                e.maxY = std::max(e.maxY, y);
                e.lit++;
            }
        }
    }
    return e;
}

using DxTextTest = MediaTest;

TEST_F(DxTextTest, JapaneseTextIsDrawnAsWideAsMeasured) {
    int font = dx_CreateFontToHandle(nullptr, 24, 3, DX_FONTTYPE_ANTIALIASING);
    ASSERT_GT(font, 0) << dx_GetLastError();
    const int width = dx_GetDrawStringWidthToHandle(kPhrase, int(std::strlen(kPhrase)), font);
    // Seven full-width characters.
    EXPECT_GT(width, 7 * 24 * 3 / 4);
    EXPECT_LT(width, 7 * 24 * 3 / 2);
    // Fewer bytes measure less: the first three characters only.
    const int part = dx_GetDrawStringWidthToHandle(kPhrase, 9, font);
    EXPECT_GT(part, 0);
    EXPECT_LT(part, width);

    ASSERT_EQ(dx_DrawStringToHandle(100, 200, kPhrase, 0xffffff, font), 0);
    Extent e = scan(60, 180, 400, 250, [](unsigned c) { return red(c) > 128; });
    ASSERT_GT(e.lit, 100) << "no text drawn";
    EXPECT_GE(e.minX, 100);
    EXPECT_LE(e.minX, 104);
    EXPECT_LT(e.maxX, 100 + width);
    EXPECT_GT(e.maxX, 100 + width * 9 / 10);
    EXPECT_GE(e.minY, 200);
    EXPECT_LT(e.maxY, 200 + 32);

    char name[64] = "x";
    int size = 0, thick = 0;
    ASSERT_EQ(dx_GetFontStateToHandle(name, &size, &thick, font), 0);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(size, 24);
    EXPECT_EQ(thick, 3);
}

TEST_F(DxTextTest, EdgeFontsOutlineInTheEdgeColour) {
    int font = dx_CreateFontToHandle("", 20, 7, DX_FONTTYPE_EDGE);
    ASSERT_GT(font, 0) << dx_GetLastError();
    ASSERT_EQ(dx_DrawStringToHandle(50, 50, kPhrase, 0xffffff, font, 0xff0000), 0);
    auto isEdge = [](unsigned c) { return c == 0xff0000u; };
    auto isBody = [](unsigned c) { return c == 0xffffffu; };
    Extent edge = scan(40, 40, 300, 90, isEdge);
    Extent body = scan(40, 40, 300, 90, isBody);
    EXPECT_GT(edge.lit, 50);
    EXPECT_GT(body.lit, 50);
    // The outline lies around the letters.
    EXPECT_LT(edge.minX, body.minX);
    EXPECT_GT(edge.maxX, body.maxX);

    // Without an edge type the edge colour is not used.
    dx_ClsDrawScreen();
    int plain = dx_CreateFontToHandle("", 20, 7, DX_FONTTYPE_NORMAL);
    ASSERT_GT(plain, 0);
    dx_DrawStringToHandle(50, 50, kPhrase, 0xffffff, plain, 0xff0000);
    EXPECT_EQ(scan(40, 40, 300, 90, isEdge).lit, 0);
}

TEST_F(DxTextTest, DefaultFontDrawsAndBadHandlesFail) {
    dx_SetFontSize(16);
    EXPECT_EQ(dx_DrawString(0, 0, "Score 100", 0xffffff), 0);
    EXPECT_GT(scan(0, 0, 120, 24, [](unsigned c) { return c != 0; }).lit, 20);
    EXPECT_EQ(dx_DrawStringToHandle(0, 0, "x", 0xffffff, 999), -1);
    EXPECT_EQ(dx_GetDrawStringWidthToHandle("x", 1, 999), -1);
}

TEST_F(DxTextTest, TextInputTakesScriptedTextUntilReturn) {
    std::string error;
    ASSERT_TRUE(dx_SetInputScript("0 text abcdefghijkl\n1 text あ!\n2 tap Return\n", error)) << error;
    int input = dx_MakeKeyInput(10, 1, 1, 0);
    ASSERT_GT(input, 0);
    ASSERT_EQ(dx_SetActiveKeyInput(input), 0);
    char buffer[64];

    ASSERT_EQ(dx_ProcessMessage(), 0);
    EXPECT_EQ(dx_CheckKeyInput(input), 0);
    dx_GetKeyInputString(buffer, input);
    EXPECT_STREQ(buffer, "abcdefghij") << "limited to 10 bytes";
    EXPECT_EQ(dx_DrawKeyInputString(0, 0, input), 0);

    dx_ProcessMessage();
    dx_GetKeyInputString(buffer, input);
    EXPECT_STREQ(buffer, "abcdefghij") << "full: nothing more goes in";
    EXPECT_EQ(dx_CheckKeyInput(input), 0);

    dx_ProcessMessage();
    EXPECT_EQ(dx_CheckKeyInput(input), 1);
    EXPECT_EQ(dx_DeleteKeyInput(input), 0);
    EXPECT_EQ(dx_CheckKeyInput(input), -1);
}

TEST_F(DxTextTest, BackspaceTakesBackTheLastCharacter) {
    std::string error;
    ASSERT_TRUE(dx_SetInputScript("0 text ABC\n1 tap Backspace\n3 text D\n4 tap Return\n", error)) << error;
    int input = dx_MakeKeyInput(3, 1, 1, 0);
    dx_SetActiveKeyInput(input);
    char buffer[8];
    for (int frame = 0; frame < 5; ++frame) {
        dx_ProcessMessage();
    }
    EXPECT_EQ(dx_CheckKeyInput(input), 1);
    dx_GetKeyInputString(buffer, input);
    EXPECT_STREQ(buffer, "ABD") << "a full field has room again after Backspace";
}

TEST_F(DxTextTest, TextInputKeepsSingleByteCharactersAndCancelsWithEscape) {
    std::string error;
    ASSERT_TRUE(dx_SetInputScript("0 text aあb\n1 tap Escape\n", error)) << error;
    int input = dx_MakeKeyInput(8, 1, 1, 0);
    dx_SetActiveKeyInput(input);
    dx_ProcessMessage();
    char buffer[16];
    dx_GetKeyInputString(buffer, input);
    EXPECT_STREQ(buffer, "ab");
    dx_ProcessMessage();
    EXPECT_EQ(dx_CheckKeyInput(input), 2);

    // Without cancel allowed, Escape leaves the field open.
    ASSERT_TRUE(dx_SetInputScript("", error));
    dx_DxLib_End();
    ASSERT_EQ(dx_DxLib_Init(), 0);
    ASSERT_TRUE(dx_SetInputScript("0 text 42\n0 down Escape\n", error)) << error;
    int fixed = dx_MakeKeyInput(8, 0, 1, 1);
    dx_SetActiveKeyInput(fixed);
    dx_ProcessMessage();
    EXPECT_EQ(dx_CheckKeyInput(fixed), 0);
    dx_GetKeyInputString(buffer, fixed);
    EXPECT_STREQ(buffer, "42");
}

} // namespace
