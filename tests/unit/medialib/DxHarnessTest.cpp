// Scripted input, frame limit, screenshots, call log, test key state and sound handles without audio.
#include "DxTestSupport.h"

#include <cstdint>
#include <fstream>

using namespace dxtest;

namespace {

class DxScriptTest : public MediaTest {};

TEST_F(DxScriptTest, MalformedLinesAreNamed) {
    struct Case {
        std::string text;
        const char* what;
    };
    const Case cases[] = {
        {"# fine\n\nabc down Z\n", "<script>:3:"},
        {"1 down Z\n5\n", "<script>:2:"},
        {"5 jump Z\n", "<script>:1: unknown action"},
        {"5 down\n", "<script>:1:"},
        {"5 down Q W\n", "<script>:1: unexpected"},
        {"2 up Z\n5 down Foo\n", "<script>:2: unknown key"},
        {"5 text\n", "<script>:1:"},
        {"5 down F13\n", "<script>:1: unknown key"},
        {"5 tap Pad17\n", "<script>:1: unknown key"},
        {"-1 down Z\n", "<script>:1:"},
        {"5 click 10\n", "<script>:1: \"click\" needs"},
        {"5 click 640 0\n", "<script>:1: \"click\" needs"},
        {"5 click 0 -1\n", "<script>:1: \"click\" needs"},
        {"5 click 1 2 3\n", "<script>:1: \"click\" needs"},
        {"5 down F\xd9\n", "<script>:1: unknown key"},
        // Typed text must be whole UTF-8: stray continuation bytes, a cut character, an overlong form, a
        // surrogate, a code point past U+10FFFF, a byte that never starts a character.
        {"0 text " + std::string(32, '\x80') + "\n", "<script>:1: \"text\" holds bytes that are not UTF-8"},
        {"0 text ok\n1 text \xe3\x81\n", "<script>:2: \"text\" holds"},
        {"0 text a\xe3\x81"
         "b\n",
         "<script>:1: \"text\" holds"},
        {"0 text \xc0\xaf\n", "<script>:1: \"text\" holds"},
        {"0 text \xed\xa0\x80\n", "<script>:1: \"text\" holds"},
        {"0 text \xf4\x90\x80\x80\n", "<script>:1: \"text\" holds"},
        {"0 text \xff\n", "<script>:1: \"text\" holds"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(dx_SetInputScript(c.text, error)) << c.text;
        EXPECT_EQ(error.rfind(c.what, 0), 0u) << c.text << " gave: " << error;
    }

    std::string error;
    EXPECT_TRUE(dx_SetInputScript("0 text \xc3\xa9\xe3\x81\x82\xf0\x9f\x98\x80\n", error)) << error;

    const std::string file = path("input.txt");
    std::ofstream(file) << "0 down Z\n# comment\n3 sideways X\n";
    EXPECT_FALSE(dx_LoadInputScript(file, error));
    EXPECT_EQ(error.rfind(file + ":3:", 0), 0u) << error;
    EXPECT_FALSE(dx_LoadInputScript(path("absent.txt"), error));
    EXPECT_NE(error.find("absent.txt"), std::string::npos);
}

TEST_F(DxScriptTest, KeysAreDownFromTheirFrameOnward) {
    const std::string file = path("keys.txt");
    std::ofstream(file) << "# moves\n3 down Z   # hold\n5 up Z\n7 tap Left\n  8 down F12\n";
    std::string error;
    ASSERT_TRUE(dx_LoadInputScript(file, error)) << error;
    for (int frame = 0; frame < 10; ++frame) {
        ASSERT_EQ(dx_ProcessMessage(), 0);
        EXPECT_EQ(dx_CheckHitKey(KEY_INPUT_Z), (frame >= 3 && frame < 5) ? 1 : 0) << "frame " << frame;
        EXPECT_EQ(dx_CheckHitKey(KEY_INPUT_LEFT), frame == 7 ? 1 : 0) << "frame " << frame;
        EXPECT_EQ(dx_CheckHitKey(KEY_INPUT_F12), frame >= 8 ? 1 : 0) << "frame " << frame;
        EXPECT_EQ(dx_GetFrameCount(), frame + 1);
    }
    EXPECT_EQ(dx_GetJoypadNum(), 0);
    EXPECT_EQ(dx_GetJoypadInputState(1), 0);
}

TEST_F(DxScriptTest, AClickPressesTheLeftButtonForOneFrameWhereItSays) {
    std::string error;
    ASSERT_TRUE(dx_SetInputScript("2 click 639 479  # the corner\n4 click 0 12\n", error)) << error;
    const int buttons[] = {0, 0, 1, 0, 1, 0};
    const int xs[] = {0, 0, 639, 639, 0, 0};
    for (int frame = 0; frame < 6; ++frame) {
        dx_ProcessMessage();
        int x = -1;
        int y = -1;
        dx_GetMousePoint(&x, &y);
        EXPECT_EQ(dx_GetMouseInput() & 1, buttons[frame]) << "frame " << frame;
        EXPECT_EQ(x, xs[frame]) << "frame " << frame;
        EXPECT_EQ(y, frame < 2 ? 0 : frame < 4 ? 479 : 12) << "frame " << frame;
    }
}

TEST_F(DxScriptTest, ScriptedPadIsAttachedAndSetsItsBits) {
    std::string error;
    ASSERT_TRUE(
        dx_SetInputScript("1 down Pad1\n1 down PadLeft\n2 tap Pad16\n3 up Pad1\n4 up PadLeft\n", error))
        << error;
    dx_DxLib_End();
    ASSERT_EQ(dx_DxLib_Init(), 0);
    EXPECT_EQ(dx_GetJoypadNum(), 1);
    const int expected[] = {0, PAD_INPUT_1 | PAD_INPUT_LEFT, PAD_INPUT_1 | PAD_INPUT_LEFT | (1 << 19),
                            PAD_INPUT_LEFT, 0};
    for (int frame = 0; frame < 5; ++frame) {
        dx_ProcessMessage();
        EXPECT_EQ(dx_GetJoypadInputState(1), expected[frame]) << "frame " << frame;
    }
}

TEST_F(DxScriptTest, FrameLimitClosesTheWindow) {
    dx_SetFrameLimit(3);
    EXPECT_EQ(dx_ProcessMessage(), 0);
    EXPECT_EQ(dx_ProcessMessage(), 0);
    EXPECT_EQ(dx_ProcessMessage(), 0);
    EXPECT_EQ(dx_ProcessMessage(), -1);
    EXPECT_EQ(dx_ProcessMessage(), -1);
    EXPECT_EQ(dx_GetFrameCount(), 3);
    dx_SetFrameLimit(-1);
}

TEST_F(DxScriptTest, ScreenshotIsTheFrameAskedFor) {
    const std::string shot = path("shot.png");
    dx_AddScreenshot(1, shot);
    for (int frame = 0; frame < 3; ++frame) {
        dx_ProcessMessage();
        dx_ClsDrawScreen();
        dx_DrawBox(0, 0, 10, 10, frame == 1 ? 0x00ff00u : 0xff0000u, 1);
        dx_ScreenFlip();
    }
    dx_ClsDrawScreen();
    int h = dx_LoadGraph(shot.c_str());
    ASSERT_GT(h, 0) << dx_GetLastError();
    int w = 0, ht = 0;
    dx_GetGraphSize(h, &w, &ht);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(ht, 480);
    dx_DrawGraph(0, 0, h, 0);
    EXPECT_EQ(dx_GetPixel(5, 5), 0x00ff00u);
    EXPECT_EQ(dx_GetPixel(15, 5), 0u);
}

TEST(DxKeyState, TestStateWorksWithoutStarting) {
    dx_TestSetKeyState({KEY_INPUT_Z, KEY_INPUT_LEFT}, PAD_INPUT_1 | PAD_INPUT_UP, true);
    EXPECT_EQ(dx_CheckHitKey(KEY_INPUT_Z), 1);
    EXPECT_EQ(dx_CheckHitKey(KEY_INPUT_LEFT), 1);
    EXPECT_EQ(dx_CheckHitKey(KEY_INPUT_X), 0);
    EXPECT_EQ(dx_GetJoypadInputState(1), PAD_INPUT_1 | PAD_INPUT_UP);
    EXPECT_EQ(dx_GetJoypadNum(), 1);
    dx_TestSetKeyState({}, PAD_INPUT_1, false);
    EXPECT_EQ(dx_CheckHitKey(KEY_INPUT_Z), 0);
    EXPECT_EQ(dx_GetJoypadInputState(1), 0);
    dx_TestClearKeyState();
    EXPECT_EQ(dx_CheckHitKey(KEY_INPUT_LEFT), 0);
    EXPECT_EQ(dx_GetJoypadNum(), 0);
}

class DxNullTest : public MediaTest {
protected:
    DxBackend backend() const override { return DxBackend::Null; }

    // A short silent 8-bit mono WAV.
    std::string makeWav(const std::string& name) {
        const std::string file = path(name);
        std::ofstream out(file, std::ios::binary);
        auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
        auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
        const std::uint32_t samples = 800;
        out.write("RIFF", 4);
        u32(36 + samples);
        out.write("WAVEfmt ", 8);
        u32(16);
        u16(1);
        u16(1);
        u32(8000);
        u32(8000);
        u16(1);
        u16(8);
        out.write("data", 4);
        u32(samples);
        for (std::uint32_t i = 0; i < samples; ++i) {
            out.put(char(128));
        }
        return file;
    }
};

TEST_F(DxNullTest, CallLogRecordsDrawingAndSoundCalls) {
    const std::string wav = makeWav("beep.wav");
    dx_SetCallLog(true);
    dx_DrawGraph(10, 20, 5, 1);
    dx_DrawTurnGraph(1, 2, 3, 0);
    dx_DrawRotaGraph(100, 50, 1.5, 0.785398, 5, 1, 0);
    dx_DrawExtendGraph(0, 0, 64, 32, 5, 1);
    dx_DrawRectGraph(0, 0, 16, 0, 16, 16, 5, 1, 0);
    dx_DrawBox(0, 0, 640, 480, dx_GetColor(255, 0, 16), 1);
    dx_DrawLine(0, 0, 10, 10, 0xff0000);
    dx_SetDrawBlendMode(1, 128);
    dx_SetDrawBright(255, 128, 0);
    dx_SetDrawArea(0, 0, 640, 480);
    dx_DrawStringToHandle(8, 4, "HP", 0xffffff, 3, 0);
    int snd = dx_LoadSoundMem(wav.c_str(), 3, -1);
    dx_PlaySoundMem(snd, DX_PLAYTYPE_BACK, 1);
    dx_ChangeVolumeSoundMem(200, snd);
    dx_SetFrequencySoundMem(22050, snd);
    dx_StopSoundMem(snd);
    dx_DeleteSoundMem(snd);
    const std::vector<std::string> expected = {
        "DrawGraph(10,20,5,1)",
        "DrawTurnGraph(1,2,3,0)",
        "DrawRotaGraph(100,50,1.5,0.785398,5,1,0)",
        "DrawExtendGraph(0,0,64,32,5,1)",
        "DrawRectGraph(0,0,16,0,16,16,5,1,0)",
        "DrawBox(0,0,640,480,0xff0010,1)",
        "DrawLine(0,0,10,10,0xff0000)",
        "SetDrawBlendMode(1,128)",
        "SetDrawBright(255,128,0)",
        "SetDrawArea(0,0,640,480)",
        "DrawStringToHandle(8,4,\"HP\",0xffffff,3,0x000000,0)",
        "LoadSoundMem(\"" + wav + "\",3,-1)",
        "PlaySoundMem(" + std::to_string(snd) + ",1,1)",
        "ChangeVolumeSoundMem(200," + std::to_string(snd) + ")",
        "SetFrequencySoundMem(22050," + std::to_string(snd) + ")",
        "StopSoundMem(" + std::to_string(snd) + ")",
        "DeleteSoundMem(" + std::to_string(snd) + ")",
    };
    EXPECT_EQ(dx_GetCallLog(), expected);
    dx_ClearCallLog();
    dx_SetCallLog(false);
    dx_DrawGraph(1, 1, 1, 1);
    EXPECT_TRUE(dx_GetCallLog().empty());
}

TEST_F(DxNullTest, SoundsWithoutAudioStillHaveHandles) {
    const std::string wav = makeWav("hit.wav");
    int a = dx_LoadSoundMem(wav.c_str(), 3, -1);
    int b = dx_LoadSoundMem(wav.c_str());
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    EXPECT_NE(a, b);
    EXPECT_EQ(dx_PlaySoundMem(a, DX_PLAYTYPE_LOOP), 0);
    EXPECT_EQ(dx_CheckSoundMem(a), 0);
    EXPECT_EQ(dx_ChangeVolumeSoundMem(128, a), 0);
    EXPECT_EQ(dx_SetFrequencySoundMem(30000, a), 0);
    EXPECT_EQ(dx_StopSoundMem(a), 0);
    EXPECT_EQ(dx_DeleteSoundMem(a), 0);
    EXPECT_EQ(dx_CheckSoundMem(a), -1);
    // Handles 0 and -1 name nothing.
    EXPECT_EQ(dx_PlaySoundMem(0, DX_PLAYTYPE_BACK), -1);
    EXPECT_EQ(dx_StopSoundMem(-1), -1);

    const std::string missing = path("none.wav");
    EXPECT_EQ(dx_LoadSoundMem(missing.c_str()), -1);
    EXPECT_NE(dx_GetLastError().find(missing), std::string::npos);
}

TEST_F(DxNullTest, ImagesHaveSizesAndScreenshotsAreBlack) {
    // Make a real 24x8 picture with the offscreen backend first.
    dx_DxLib_End();
    dx_SetBackend(DxBackend::Offscreen);
    ASSERT_EQ(dx_DxLib_Init(), 0);
    const std::string sheet = makeImage("sheet.png", 24, 8, [] { dx_DrawBox(0, 0, 24, 8, 0xffffff, 1); });
    dx_DxLib_End();
    dx_SetBackend(DxBackend::Null);
    ASSERT_EQ(dx_DxLib_Init(), 0);

    int cells[3];
    ASSERT_EQ(dx_LoadDivGraph(sheet.c_str(), 3, 3, 1, 8, 8, cells), 0) << dx_GetLastError();
    int w = 0, h = 0;
    dx_GetGraphSize(cells[2], &w, &h);
    EXPECT_EQ(w, 8);
    EXPECT_EQ(h, 8);
    EXPECT_EQ(dx_LoadDivGraph(sheet.c_str(), 6, 3, 2, 8, 8, cells), -1) << "the sheet has one row only";
    EXPECT_EQ(dx_DrawGraph(0, 0, cells[0], 1), 0);
    EXPECT_EQ(dx_GetPixel(0, 0), 0u);

    const std::string shot = path("null.png");
    dx_AddScreenshot(0, shot);
    dx_ProcessMessage();
    dx_ScreenFlip();
    int picture = dx_LoadGraph(shot.c_str());
    ASSERT_GT(picture, 0) << dx_GetLastError();
    dx_GetGraphSize(picture, &w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
}

} // namespace
