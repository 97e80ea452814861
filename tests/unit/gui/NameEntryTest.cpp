// The name entry: typed through the media layer's text input (scripted here), cleaned, then confirmed.
#include "GuiTestEnv.h"
#include "audio/CSoundManager.h"
#include "gui/CNameEntryWindowEx.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>

namespace {

class NameEntryTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        mEntry = std::make_unique<CNameEntryWindowEx>(gFont24, 12);
        mEntry->fSetOnDecide([this](const std::string& name) { mDecided = name; });
        mEntry->fSetOnCancel([this] { ++mCancelled; });
    }
    void TearDown() override {
        mEntry.reset();
        GuiTest::TearDown();
    }

    // Types `text` in the next frame and presses Return in the one after, running the entry's input in both.
    void fType(const std::string& text) {
        const int frame = dx_GetFrameCount();
        std::string error;
        ASSERT_TRUE(dx_SetInputScript(std::to_string(frame) + " text " + text + "\n" +
                                          std::to_string(frame + 1) + " tap Return\n",
                                      error))
            << error;
        for (int i = 0; i < 2; ++i) {
            ASSERT_EQ(dx_ProcessMessage(), 0);
            mEntry->fInput();
        }
    }

    std::unique_ptr<CNameEntryWindowEx> mEntry;
    std::optional<std::string> mDecided;
    int mCancelled = 0;
};

TEST_F(NameEntryTest, TheTypedNameIsCleanedAndSentOnYes) {
    fType("A B?C");
    EXPECT_EQ(mEntry->fGetName(), "AB-C");
    ASSERT_NE(mEntry->fGetYesNo(), nullptr);
    EXPECT_EQ(mEntry->fGetYesNo()->fGetWindow().fGetFocusName(), "yes");
    EXPECT_FALSE(mDecided);

    // The field shows the name while the question is asked.
    dx_SetCallLog(true);
    mEntry->fDraw();
    const auto& log = dx_GetCallLog();
    EXPECT_NE(std::find(log.begin(), log.end(), "DrawBox(10,50,158,78,0x3c3c3c,1)"), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "DrawString(12,52,\"AB-C\",0xffffff,0x000000)"), log.end());

    fTap(EGameKey::KEY_Z, [&] { mEntry->fInput(); });
    EXPECT_EQ(mDecided, "AB-C");
    EXPECT_EQ(mEntry->fGetYesNo(), nullptr);
}

TEST_F(NameEntryTest, TheFieldTakesTwelveCharacters) {
    fType("ABCDEFGHIJKLM");
    EXPECT_EQ(mEntry->fGetName(), "ABCDEFGHIJKL");
}

// The hint under the field says what it takes; a character it refuses (not single-byte, or a 13th) flashes
// the field and the hint red with a sound, once per refusal, and then they settle back.
TEST_F(NameEntryTest, TheHintSaysWhatTheFieldTakesAndARefusedCharacterIsSeenAndHeard) {
    gSoundManager = std::make_unique<CSoundManager>(true);
    const int refusalSound = gSoundManager->fGetSeHandle(SE_HIT);
    const std::string played = "PlaySoundMem(" + std::to_string(refusalSound) + ",1,1)";
    const std::string redField = "DrawBox(10,50,158,78,0xaa1e1e,1)";
    const std::string greyField = "DrawBox(10,50,158,78,0x3c3c3c,1)";
    const auto frame = [&](const std::string& typed) {
        std::string error;
        if (!typed.empty()) {
            EXPECT_TRUE(
                dx_SetInputScript(std::to_string(dx_GetFrameCount()) + " text " + typed + "\n", error));
        }
        dx_ClearCallLog();
        dx_ProcessMessage();
        mEntry->fInput();
        mEntry->fUpdate();
        mEntry->fDraw();
        return dx_GetCallLog();
    };
    const auto has = [](const std::vector<std::string>& log, const std::string& prefix) {
        return std::any_of(log.begin(), log.end(),
                           [&](const std::string& l) { return l.starts_with(prefix); });
    };
    dx_SetCallLog(true);
    const std::vector<std::string> calm = frame("");
    // The hint's two lines, in the window's text colour, under the field.
    EXPECT_TRUE(has(calm, "DrawStringToHandle(10,84,\"半角の英数字と記号で12文字まで\",0x432412,"))
        << calm[0];
    EXPECT_TRUE(has(calm, "DrawStringToHandle(10,106,\"Enter:決定  Esc:やめる\",0x432412,"));
    EXPECT_TRUE(has(calm, greyField));
    EXPECT_FALSE(has(calm, played));

    const struct {
        const char* typed;
        bool refused;
    } steps[] = {{"ux", false}, {"テスター", true}, {"abcdefghij", false}, {"k", true}};
    for (const auto& step : steps) {
        const std::vector<std::string> log = frame(step.typed);
        EXPECT_EQ(has(log, played), step.refused) << step.typed;
        EXPECT_EQ(mEntry->fGetRefusalFlash() > 0, step.refused) << step.typed;
        EXPECT_EQ(has(log, "DrawStringToHandle(10,84,\"半角の英数字と記号で12文字まで\",0xbe1414,"),
                  step.refused)
            << step.typed;
        // Let the flash run out.
        for (int i = 0; i < CNameEntryWindowEx::kRefusalFlashFrames; ++i) {
            const std::vector<std::string> later = frame("");
            EXPECT_FALSE(has(later, played));
            if (step.refused && i == 2) {
                EXPECT_TRUE(has(later, redField)) << "the field blinks red";
            }
        }
        EXPECT_EQ(mEntry->fGetRefusalFlash(), 0);
        EXPECT_TRUE(has(frame(""), greyField));
    }
    std::string error;
    ASSERT_TRUE(dx_SetInputScript(std::to_string(dx_GetFrameCount()) + " tap Return\n", error));
    frame("");
    EXPECT_EQ(mEntry->fGetName(), "uxabcdefghij");
    gSoundManager.reset();
}

TEST_F(NameEntryTest, NoEmptiesTheFieldAndTypingResumes) {
    for (EGameKey no : {EGameKey::KEY_X, EGameKey::KEY_ESC, EGameKey::KEY_Z}) {
        fType("OLD");
        ASSERT_NE(mEntry->fGetYesNo(), nullptr);
        if (no == EGameKey::KEY_Z) {
            fTap(EGameKey::RIGHT, [&] { mEntry->fInput(); }); // onto "いいえ"
            EXPECT_EQ(mEntry->fGetYesNo()->fGetWindow().fGetFocusName(), "no");
        }
        fTap(no, [&] { mEntry->fInput(); });
        EXPECT_EQ(mEntry->fGetYesNo(), nullptr);
        EXPECT_EQ(mEntry->fGetName(), "");
        EXPECT_FALSE(mDecided);
        EXPECT_EQ(mCancelled, 0) << "no is not a cancel";
    }
    fType("NEW");
    EXPECT_EQ(mEntry->fGetName(), "NEW") << "the field was empty again";
}

TEST_F(NameEntryTest, EscWhileTypingCancelsAndIsUsedUp) {
    std::string error;
    ASSERT_TRUE(dx_SetInputScript("0 text AB\n1 tap Escape\n", error)) << error;
    dx_ProcessMessage();
    mEntry->fInput();
    dx_ProcessMessage();
    mKeys->fPress(EGameKey::KEY_ESC); // the game keys see the same Esc
    // The owner drops the entry from its cancel action.
    mEntry->fSetOnCancel([this] {
        ++mCancelled;
        mEntry.reset();
    });
    mEntry->fInput();
    EXPECT_EQ(mCancelled, 1);
    EXPECT_EQ(mEntry, nullptr);
    EXPECT_FALSE(mKeys->fIsPush(EGameKey::KEY_ESC, true)) << "the menu behind does not see a second Esc";
}

TEST_F(NameEntryTest, CleaningMakesTheNameSafeForAUrl) {
    const struct {
        std::string typed, clean;
    } cases[] = {
        {"A B?C", "AB-C"},    {"   ", ""}, {"??x", "--x"}, {std::string("ab\0cd", 5), "ab"},
        {"Tavo_1", "Tavo_1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CNameEntryWindowEx::fCleanName(c.typed), c.clean) << c.typed;
    }
}

} // namespace

// The pad's grid: every character a ranking name may hold but the space, once each, and a cursor that goes
// round the edges.
TEST_F(NameEntryTest, ThePadGridHoldsTheRankingsCharactersAndWrapsRound) {
    mEntry->fUsePad();
    // The hint under the field names the pad's buttons now.
    dx_SetCallLog(true);
    dx_ClearCallLog();
    mEntry->fDraw();
    const std::vector<std::string> log = dx_GetCallLog();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& l) {
        return l.starts_with("DrawStringToHandle(10,106,\"ボタン1:追加 2:消す START:決定\"");
    }));
    CPadCharacterGrid& grid = *mEntry->fGetGrid();
    std::string expected;
    for (int c = 0x21; c <= 0x7e; ++c) {
        if (c != '?') {
            expected += static_cast<char>(c);
        }
    }
    std::string held = grid.fCharacters();
    std::sort(held.begin(), held.end());
    EXPECT_EQ(held, expected);
    EXPECT_EQ(grid.fCurrent(), 'A');
    const struct {
        int dx, dy;
        char expected;
    } moves[] = {{-1, 0, 'P'},
                 {1, 0, 'A'},
                 {0, 1, 'Q'},
                 {0, -1, 'A'},
                 {0, -1, grid.fCharacters()[80]},
                 {1, 0, grid.fCharacters()[81]}};
    for (const auto& m : moves) {
        grid.fMove(m.dx, m.dy);
        EXPECT_EQ(grid.fCurrent(), m.expected) << m.dx << "," << m.dy;
    }
}
