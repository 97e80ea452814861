// The key configuration, driven like the game drives it: the live key manager over scripted keyboard and
// pad events, one scene step per frame, saving into a scratch game folder.
#include "GameMain/COptionInfo.h"
#include "GameMain/COptionMenu.h"
#include "GameMain/GameRecords.h"
#include "GameMain/LanguageSettings.h"
#include "GameMain/VolumeSettings.h"
#include "ScratchFolder.h"
#include "audio/CSoundManager.h"
#include "base/Translation.h"
#include "gui/GuiStyle.h"
#include "gui/GuiTestEnv.h"
#include "input/CKeyManager.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

class OptionMenuTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        gOptionInfo = std::make_unique<COptionInfo>();
        gKeyManager = std::make_unique<CKeyManager>();
        mKeys = nullptr;
        gSoundManager = std::make_unique<CSoundManager>(false);
        gScene = std::make_unique<COptionMenu>();
        // The key manager reports no push before it has seen the key up once.
        fFrames("", 1);
    }
    void TearDown() override {
        gScene.fReset();
        gSoundManager.reset();
        gOptionInfo.reset();
        GuiTest::TearDown();
    }

    static COptionMenu* fMenu() { return dynamic_cast<COptionMenu*>(gScene.get()); }
    static std::string fFocus() { return fMenu()->fGetWindow().fGetFocusName(); }
    static std::string fText(const std::string& row) {
        return fMenu()->fGetWindow().fGetTextLabel(row)->fGetText();
    }

    // Runs `frames` frames as the scene loop does, with `event` ("tap Down", "down Pad4"; none when empty)
    // in the first.
    static void fFrames(const std::string& event, int frames = 2) {
        std::string error;
        const std::string script =
            event.empty() ? "" : std::to_string(dx_GetFrameCount()) + " " + event + "\n";
        ASSERT_TRUE(dx_SetInputScript(script, error)) << error;
        for (int i = 0; i < frames; ++i) {
            ASSERT_EQ(dx_ProcessMessage(), 0);
            gKeyManager->fUpdate();
            gScene->fInput();
            gScene.fReleaseRetired();
            gScene->fUpdate();
        }
    }
};

TEST_F(OptionMenuTest, KeyboardWalksTheRowsRoundWithoutTheHeadingsOrThePadState) {
    EXPECT_EQ(fFocus(), "LEFT");
    const std::vector<std::string> down{"UP",    "RIGHT",   "DOWN",     "KEY_Z", "KEY_X",
                                        "MUSIC", "EFFECTS", "LANGUAGE", "LEFT"};
    const std::vector<std::string> up{"LANGUAGE", "EFFECTS", "MUSIC", "KEY_X", "KEY_Z",
                                      "DOWN",     "RIGHT",   "UP",    "LEFT"};
    for (const auto& [key, expected] : {std::pair{"Down", down}, std::pair{"Up", up}}) {
        for (const std::string& row : expected) {
            fFrames(std::string("tap ") + key);
            EXPECT_EQ(fFocus(), row) << key;
        }
    }
    // The pad's directions do not navigate.
    fFrames("tap PadDown");
    EXPECT_EQ(fFocus(), "LEFT");
}

TEST_F(OptionMenuTest, FreshInstallationShowsTheDefaultButtons) {
    const std::vector<std::pair<std::string, std::string>> rows{
        {"TEXT2", "【ゲームパッド】"},
        {"LEFT", "左移動　　　　:Button?"},
        {"UP", "上移動　　　　:Button?"},
        {"RIGHT", "右移動　　　　:Button?"},
        {"DOWN", "下移動　　　　:Button?"},
        {"KEY_Z", "攻撃　　　　　:Button1"},
        {"KEY_X", "交代　　　　　:Button2"},
        {"PAD", "パッド：未接続"},
        {"TEXT3", "【音量】"},
        {"MUSIC", "音楽　　　　　:◀ 10 ▶"},
        {"EFFECTS", "効果音　　　　:◀ 10 ▶"},
        {"LANGUAGE", "言語　　　　　:◀ 自動 ▶"},
    };
    for (const auto& [row, text] : rows) {
        EXPECT_EQ(fText(row), text) << row;
    }
}

TEST_F(OptionMenuTest, APadButtonGoesToTheFocusedKeyAndIsSavedOnLeaving) {
    CScratchFolder folder;
    std::filesystem::create_directories(folder.path() / "dat");
    CWorkingDirectoryGuard inFolder(folder.path());
    for (const char* leave : {"X", "Z"}) {
        std::filesystem::remove(kSettingPath);
        *gOptionInfo = COptionInfo();
        gKeyManager->fSetupPadButtonFromSetting();
        gScene = std::make_unique<COptionMenu>();
        for (int i = 0; i < 4; ++i) {
            fFrames("tap Down");
        }
        ASSERT_EQ(fFocus(), "KEY_Z");

        // Held over several frames, the button is assigned (again and again) to attack only; the key
        // manager takes it at once, and attacking on the pad does not leave the menu.
        fFrames("down Pad4", 3);
        std::vector<std::int32_t> expected = COptionInfo().buttons;
        expected[8] = 0x80;
        EXPECT_EQ(gOptionInfo->buttons, expected);
        EXPECT_EQ(fText("KEY_Z"), "攻撃　　　　　:Button4");
        EXPECT_EQ(fText("KEY_X"), "交代　　　　　:Button2");
        EXPECT_TRUE(gKeyManager->fIsHold(EGameKey::KEY_Z));
        ASSERT_NE(fMenu(), nullptr);
        fFrames("up Pad4", 1);

        fFrames(std::string("tap ") + leave);
        EXPECT_EQ(fMenu(), nullptr) << leave;
        ASSERT_TRUE(gScene) << leave;
        EXPECT_EQ(std::filesystem::file_size(kSettingPath), 92u) << leave;
        EXPECT_FALSE(std::filesystem::exists(std::string(kSettingPath) + ".new"));
        gOptionInfo.reset();
        fLoadSetting(kSettingPath);
        EXPECT_EQ(gOptionInfo->buttons, expected) << leave;
    }
}

TEST_F(OptionMenuTest, VolumesChangeWithLeftAndRightAndAreSavedOnLeaving) {
    CScratchFolder folder;
    std::filesystem::create_directories(folder.path() / "dat");
    CWorkingDirectoryGuard inFolder(folder.path());
    // On a key row LEFT and RIGHT change nothing; pad buttons on a volume row assign nothing.
    fFrames("tap Left");
    EXPECT_EQ(gSoundManager->fGetMusicLevel(), 10);
    for (int i = 0; i < 7; ++i) {
        fFrames("tap Down");
    }
    ASSERT_EQ(fFocus(), "EFFECTS");
    fFrames("tap Pad4");
    EXPECT_EQ(gOptionInfo->buttons, COptionInfo().buttons);
    for (int i = 0; i < 12; ++i) { // past the bottom, which holds
        fFrames("tap Left");
    }
    fFrames("tap Right");
    fFrames("tap Right");
    fFrames("tap Up");
    fFrames("tap Left");
    EXPECT_EQ(fText("MUSIC"), "音楽　　　　　:◀ 9 ▶");
    EXPECT_EQ(fText("EFFECTS"), "効果音　　　　:◀ 2 ▶");
    EXPECT_EQ(gSoundManager->fGetEffectsLevel(), 2);

    fFrames("tap Z");
    const auto saved = fLoadVolumeSettings(kVolumeSettingsFile);
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->music, 9);
    EXPECT_EQ(saved->effects, 2);
    // Damaged or out of range, the file is set aside and the game's own levels are used.
    for (const std::string& bytes : {std::string("\x0b\0\0\0\x02\0\0\0", 8), std::string("\x05\0\0", 3)}) {
        std::ofstream(kVolumeSettingsFile, std::ios::binary) << bytes;
        EXPECT_FALSE(fLoadVolumeSettings(kVolumeSettingsFile).has_value());
    }
}

TEST_F(OptionMenuTest, TheLanguageRowChangesTheTextsAtOnceAndIsSavedOnLeaving) {
    CScratchFolder folder;
    std::filesystem::create_directories(folder.path() / "dat");
    CWorkingDirectoryGuard inFolder(folder.path());
    fSetLocaleFolder(TAVONI_LOCALE_DIR);
    ASSERT_TRUE(fStartLanguage(ELanguage::Japanese, ELanguageSetting::Auto));
    fFrames("tap Up");
    ASSERT_EQ(fFocus(), "LANGUAGE");
    // Auto, Japanese, English, round again; each is shown at once, in the language it means.
    const std::vector<std::pair<std::string, std::string>> steps{
        {"Right", "言語　　　　　:◀ 日本語 ▶"},
        {"Right", "Language:   ◀ English ▶"},
        {"Right", "言語　　　　　:◀ 自動 ▶"}, // Auto follows --language, here Japanese
        {"Left", "Language:   ◀ English ▶"},
    };
    for (const auto& [key, text] : steps) {
        fFrames("tap " + key);
        EXPECT_EQ(fText("LANGUAGE"), text) << key;
    }
    // Every caption follows, its value at the same column as the others'.
    EXPECT_EQ(fText("TEXT3"), "【Volume】");
    const auto column = [](const std::string& row, const char* value) {
        const std::string text = fText(row);
        return dx_GetDrawStringWidthToHandle(text.c_str(), static_cast<int>(text.find(value)),
                                             gui::fStandardFont());
    };
    EXPECT_NEAR(column("KEY_Z", "Button"), column("LANGUAGE", "◀"), 4);
    fFrames("tap Z");
    EXPECT_EQ(fLoadLanguageSetting(kLanguageSettingsFile), ELanguageSetting::English);
    EXPECT_EQ(fGetLanguage(), ELanguage::English);
    // A damaged file is set aside; the row starts at Auto.
    std::ofstream(kLanguageSettingsFile, std::ios::binary) << std::string("\x07\0\0\0", 4);
    EXPECT_FALSE(fLoadLanguageSetting(kLanguageSettingsFile).has_value());
    ASSERT_TRUE(fStartLanguage(std::nullopt, ELanguageSetting::Japanese));
}

TEST_F(OptionMenuTest, ASettingsFileThatCannotBeWrittenStillLeavesTheMenu) {
    CScratchFolder folder; // no dat/ folder to write into
    CWorkingDirectoryGuard inFolder(folder.path());
    fFrames("tap Down");
    fFrames("tap Pad3");
    fFrames("tap X");
    EXPECT_EQ(fMenu(), nullptr);
    EXPECT_EQ(gOptionInfo->buttons[1], 0x40);
}

TEST(OptionMenuRows, OnlyKeyRowsNameAGameKey) {
    EXPECT_EQ(COptionMenu::fGameKeyOfRow("KEY_C"), EGameKey::KEY_C);
    EXPECT_DEATH(COptionMenu::fGameKeyOfRow("TEXT2"), "invalide widget name!");
}

} // namespace
