// Every text the game shows fits its window, box or panel in both languages, measured with the game's own
// fonts: each screen is drawn with the media layer's call log on, and every string drawn must lie inside the
// innermost frame its first letter is in.
#include "GameMain/COptionMenu.h"
#include "GameMain/CPause.h"
#include "GameMain/CStartMenu.h"
#include "GameMain/CTheaterOverlay.h"
#include "GameMain/CTipsFile.h"
#include "GameMain/CTipsManager.h"
#include "GameMain/GameRecords.h"
#include "GameMain/LanguageSettings.h"
#include "ScratchFolder.h"
#include "Stage/CVarno.h"
#include "Stage/StageTestEnv.h"
#include "Ziki/CFoodTables.h"
#include "base/GameFolders.h"
#include "base/Translation.h"
#include "gui/CCommonMessageWindow.h"
#include "gui/CNameEntryWindowEx.h"
#include "gui/CShowRankingWindow.h"
#include "gui/CYesNoWindow.h"
#include "input/KeyBindings.h"
#include "net/RankingClient.h"
#include "net/ServerRefusals.h"
#include "render/GameFonts.h"
#include "replay/ReplayFiles.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

struct SFrame {
    std::string what;
    int x1, y1, x2, y2; // the area text may use: the window less its rim
};

struct SDrawnText {
    int x = 0;
    int y = 0;
    std::string text;
    int font = -1;
};

// DrawStringToHandle(x,y,"text",0xcolour,font,0xedge,vertical) lines of the call log.
std::vector<SDrawnText> fDrawnTexts() {
    std::vector<SDrawnText> texts;
    for (const std::string& line : dx_GetCallLog()) {
        if (line.rfind("DrawStringToHandle(", 0) != 0) {
            continue;
        }
        SDrawnText t;
        const std::size_t open = line.find('"');
        const std::size_t close = line.rfind("\",0x");
        std::sscanf(line.c_str(), "DrawStringToHandle(%d,%d,", &t.x, &t.y);
        t.text = line.substr(open + 1, close - open - 1);
        std::sscanf(line.c_str() + close, "\",0x%*x,%d,", &t.font);
        texts.push_back(t);
    }
    return texts;
}

// Whether the last screen drawn showed `text`.
bool fDrew(const std::string& text) {
    const std::vector<SDrawnText> texts = fDrawnTexts();
    return std::any_of(texts.begin(), texts.end(),
                       [&text](const SDrawnText& t) { return t.text.find(text) != std::string::npos; });
}

// The widest key names on attack, swap and pause while it lives, for the prompts that name them.
class CWidestKeys {
public:
    CWidestKeys() {
        SKeyBindings keys;
        fBindKey(keys, EBoundKey::ATTACK, 0x2A); // LShift
        fBindKey(keys, EBoundKey::SWAP, 0x36);   // RShift
        fBindKey(keys, EBoundKey::PAUSE, 0x1D);  // LCtrl
        fSetKeyBindings(keys);
    }
    ~CWidestKeys() { fSetKeyBindings(SKeyBindings{}); }
    CWidestKeys(const CWidestKeys&) = delete;
    CWidestKeys& operator=(const CWidestKeys&) = delete;
};

// A window's frame: its rectangle less the wooden rim and its gold line.
SFrame fWindowFrame(const std::string& what, const SWindowRect& r) {
    constexpr int kRim = 6;
    return {what, r.x + kRim, r.y + kRim, r.x + r.w - kRim, r.y + r.h - kRim};
}

class TextFitTest : public StageTest, public ::testing::WithParamInterface<ELanguage> {
protected:
    void SetUp() override {
        StageTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        fCreateFonts();
        fSetLocaleFolder(TAVONI_LOCALE_DIR);
        ASSERT_TRUE(fSetLanguage(GetParam()));
        fSetGameFolders(SGameFolders{"", mFolder.path().string() + "/", false});
        std::filesystem::create_directories(mFolder.path() / "dat" / "replay");
        fRegisterHighScoreInfo();
        dx_SetCallLog(true);
    }
    void TearDown() override {
        dx_SetCallLog(false);
        fSetLanguage(ELanguage::Japanese);
        fSetGameFolders(SGameFolders{});
        gTipsManager.reset();
        gFont20 = gFont24Bold = gFont64 = gFont24 = gFont28 = -1;
        StageTest::TearDown();
    }

    // Draws with `draw` and checks every string drawn against `frames`.
    template <typename Draw>
    void fCheck(const std::string& screen, const std::vector<SFrame>& frames, Draw draw) {
        dx_ClearCallLog();
        draw();
        const std::vector<SDrawnText> texts = fDrawnTexts();
        EXPECT_FALSE(texts.empty()) << screen;
        for (const SDrawnText& t : texts) {
            const SFrame* in = nullptr;
            for (const SFrame& f : frames) {
                const bool holds = t.x >= f.x1 && t.x < f.x2 && t.y >= f.y1 && t.y < f.y2;
                if (holds && (!in || (f.x2 - f.x1) * (f.y2 - f.y1) < (in->x2 - in->x1) * (in->y2 - in->y1))) {
                    in = &f;
                }
            }
            int size = 0;
            dx_GetFontStateToHandle(nullptr, &size, nullptr, t.font);
            const int right = t.x + dx_GetDrawStringWidthToHandle(t.text.c_str(), int(t.text.size()), t.font);
            ASSERT_NE(in, nullptr) << screen << ": \"" << t.text << "\" at " << t.x << "," << t.y;
            EXPECT_LE(right, in->x2) << screen << ": \"" << t.text << "\" runs past the right of "
                                     << in->what;
            EXPECT_LE(t.y + size, in->y2)
                << screen << ": \"" << t.text << "\" runs past the bottom of " << in->what;
        }
    }

    CScratchFolder mFolder;
};

const SFrame kScreen{"the screen", 0, 0, 640, 480};

TEST_P(TextFitTest, TheTitleTheMenuAndEveryDescription) {
    fSaveHighScore(CHighScoreInfo(9999999, false));
    std::ofstream(fUserPath(kPackedReplayPath)) << "a replay";
    gTipsManager = std::make_unique<CTipsManager>(fUserPath("dat/tips.dat"));
    gTipsManager->fUnlockTip();
    CStartMenu menu;
    fCheck("title", {kScreen}, [&] { menu.fDraw(); });
    {
        const CWidestKeys widest;
        fCheck("title naming LShift", {kScreen}, [&] { menu.fDraw(); });
        EXPECT_TRUE(fDrew("LShift")) << "the title prompt does not name the bound key";
    }
    mKeys->fPress(EGameKey::KEY_Z);
    menu.fInput();
    mKeys->fRelease(EGameKey::KEY_Z);
    ASSERT_TRUE(menu.fIsMenuOpen());
    for (std::size_t i = 0; i < menu.fGetItems().size(); ++i) {
        const std::vector<SFrame> frames{
            kScreen, fWindowFrame("the menu", menu.fGetMenuWindow().fGetRect()),
            fWindowFrame("the description", menu.fGetDescriptionWindow()->fGetWindow().fGetRect())};
        fCheck("menu row " + std::to_string(i), frames, [&] { menu.fDraw(); });
        mKeys->fPress(EGameKey::DOWN);
        menu.fInput();
        mKeys->fRelease(EGameKey::DOWN);
    }
}

TEST_P(TextFitTest, EveryNoticeAndTheNameEntry) {
    char upload[200];
    std::snprintf(upload, sizeof upload, fTr("ランキングデータの送信に成功しました\nあなたの順位は%d位です"),
                  1000000);
    std::vector<std::string> notices{std::string(fTr("ランキングサーバに接続中です...")),
                                     std::string(fTr("リプレイを再生できませんでした")),
                                     std::string(upload),
                                     std::string(fTr(kNoticeConnectionFailed)),
                                     std::string(fTr(kNoticeNoRankingData)),
                                     std::string(fTr(kNoticeDownloadFailed))};
    for (const char* reason : kServerRefusals) {
        notices.push_back(CStartMenu::fRefusalNotice(reason));
    }
    // A newer server's reason, as long as the game keeps one, in its own words.
    notices.push_back(CStartMenu::fRefusalNotice(
        "the ranking has moved to a new address and takes no more uploads here; see the web page, please"));
    for (const std::string& text : notices) {
        CMessageInfo message;
        message.fAddMessage(text);
        CPagedMessageWindow notice(std::move(message));
        fCheck("notice", {fWindowFrame("the notice", notice.fGetWindow().fGetRect())},
               [&] { notice.fDraw(); });
    }
    CNameEntryWindowEx entry(gFont24, 12);
    fCheck("name entry", {kScreen, fWindowFrame("the name entry", entry.fGetWindow().fGetRect())},
           [&] { entry.fDraw(); });
    entry.fUsePad();
    fCheck("name entry on a pad",
           {kScreen, fWindowFrame("the name entry", entry.fGetWindow().fGetRect()),
            fWindowFrame("the character grid", entry.fGetGrid()->fGetRect())},
           [&] { entry.fDraw(); });
    CYesNoWindow confirm(
        100, 200, gFont24, [] {}, [] {});
    fCheck("confirmation", {fWindowFrame("the confirmation", confirm.fGetWindow().fGetRect())},
           [&] { confirm.fDraw(); });
}

TEST_P(TextFitTest, EveryTipPage) {
    // The tips on attacking and swapping name the bound key, the widest too.
    const char* const named[] = {"LShift", "RShift"};
    for (int i = 0; i < CTipsManager::kTipCount; ++i) {
        std::vector<bool> flags(CTipsManager::kTipCount, false);
        flags[std::size_t(i)] = true;
        fWriteTipsFile(fUserPath("dat/tips.dat"), flags);
        CTipsManager tips(fUserPath("dat/tips.dat"));
        for (const bool rebound : {false, true}) {
            std::optional<CWidestKeys> widest;
            if (rebound) {
                widest.emplace();
            }
            tips.fOpen(CTipsManager::EScene::START_MENU);
            fCheck("tip " + std::to_string(i),
                   {fWindowFrame("the tip", tips.fGetWindow()->fGetWindow().fGetRect())},
                   [&] { tips.fDraw(); });
            if (rebound && i < 2) {
                EXPECT_TRUE(fDrew(named[i])) << "tip " << i << " does not name the bound key";
            }
        }
    }
}

TEST_P(TextFitTest, TheKeyConfigurationWithItsLongestValues) {
    for (std::int32_t& button : gOptionInfo->buttons) {
        button = 1 << (4 + 15); // "Button16"
    }
    // The widest key names: LShift, RShift, LCtrl, RCtrl, Space, Enter, Right, Down.
    fSetKeyBindings(SKeyBindings{{0x2A, 0x36, 0x1D, 0x9D, 0x39, 0x1C, 0xCD, 0xD0}});
    for (const ELanguageSetting setting :
         {ELanguageSetting::Auto, ELanguageSetting::Japanese, ELanguageSetting::English}) {
        // The row shows the setting; the texts stay in the language under test.
        ASSERT_TRUE(fStartLanguage(GetParam(), setting));
        COptionMenu menu;
        fCheck("key configuration",
               {fWindowFrame("the key configuration", menu.fGetWindow().fGetRect()),
                fWindowFrame("the keyboard's keys", menu.fGetKeyboard().fGetWindow().fGetRect())},
               [&] { menu.fDraw(); });
    }
    fSetKeyBindings(SKeyBindings{});
}

TEST_P(TextFitTest, TheRankingWindowWithItsWidestRowsAndBothSortHints) {
    std::vector<SRankingData> entries;
    for (int i = 0; i < 12; ++i) {
        entries.push_back({0, "WWWWWWWWWWWW", 9999999 - i, "id" + std::to_string(i), "2026-12-31 23:59:59"});
    }
    CShowRankingWindow ranking(entries);
    for (int sort = 0; sort < 2; ++sort) {
        const std::vector<SFrame> frames{
            fWindowFrame("the ranking", ranking.fGetWindow().fGetRect()),
            fWindowFrame("the sort hint", ranking.fGetInfoWindow().fGetWindow().fGetRect())};
        fCheck("ranking", frames, [&] { ranking.fDraw(); });
        mKeys->fPress(EGameKey::KEY_C);
        ranking.fInput();
        mKeys->fRelease(EGameKey::KEY_C);
    }
}

TEST_P(TextFitTest, PauseTimeUpTheResultAndEveryDishOnTheHud) {
    CPause pause;
    fCheck("pause", {kScreen}, [&] { pause.fDraw(); });
    {
        const CWidestKeys widest;
        fCheck("pause naming LCtrl", {kScreen}, [&] { pause.fDraw(); });
        EXPECT_TRUE(fDrew("LCtrl")) << "the pause text does not name the bound key";
    }
    stage().fAddScore(9999999);
    CVarno& varno = *stage().fGetVarno();
    fCheck("result", {{"the result board", 80, 60, 560, 420}}, [&] { varno.fDrawResult(); });
    fCheck("time up", {kScreen}, [&] { dx_DrawStringToHandle(96, 192, fTr("たいむあっぷ"), 0, gFont64); });
    // The wished dish's name goes under the three dishes of the panel; the panel draws the first wish as it
    // is, and every other dish where the panel draws it.
    const std::vector<SFrame> hud{{"the wish panel", 0, 116, 160, 190},
                                  {"the ingredient panel", 0, 190, 160, 430}};
    fCheck("hud", hud, [&] { party().fDrawHud(); });
    for (int f = 0; f < FOOD_TYPE_COUNT; ++f) {
        fCheck("hud", hud, [&] {
            dx_DrawStringToHandle(10, 160, fTr(fGetFoodName(static_cast<EFoodType>(f))).c_str(), 0, gFont20);
        });
    }
}

TEST_P(TextFitTest, TheTheaterPanelWithEitherHelpLine) {
    CTheaterOverlay overlay;
    STheaterView view;
    view.who = "WWWWWWWWWWWW";
    view.score = 9999999;
    view.position = 35999;
    view.length = 36000;
    view.speedQuarters = 1;
    view.paused = view.fastForward = true;
    for (const bool pad : {false, true}) {
        view.padHelp = pad;
        fCheck(pad ? "theater, pad help" : "theater, key help", {{"the theater's panel", 10, 394, 630, 472}},
               [&] { overlay.fDraw(view); });
    }
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, TextFitTest,
                         ::testing::Values(ELanguage::Japanese, ELanguage::English),
                         [](const auto& info) { return std::string(fLanguageCode(info.param)); });

} // namespace
