// Renders the pictures of the game's windows for the documentation: a notice waiting for Z, the name entry
// while typing and with its confirmation, a tip, the key configuration and the online ranking. The windows
// are the game's own, on the offscreen backend, over the title picture; the name is typed through the media
// layer's scripted text input. Usage: tavoni_window_showcase OUTPUT_FOLDER, run from the game folder (the one
// holding dat/). The windows speak the language of the locale variables (LANG=en_US.UTF-8: English).
#include "GameMain/COptionInfo.h"
#include "GameMain/COptionMenu.h"
#include "GameMain/CTipsManager.h"
#include "GameMain/GameRecords.h"
#include "ShowcaseMain.h"
#include "ToolGlobals.h"
#include "base/Translation.h"
#include "gui/CCommonMessageWindow.h"
#include "gui/CNameEntryWindowEx.h"
#include "gui/CShowRankingWindow.h"
#include "gui/GuiStyle.h"

#include <cstdio>
#include <dx/DxLib.h>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace {

bool fSave(const std::function<void()>& drawWindows, const std::string& path) {
    dx_ClsDrawScreen();
    dx_DrawGraph(0, 0, gImageManager->fGetHandle("title.png"), 0);
    drawWindows();
    const bool ok = dx_SaveDrawScreenToPNG(0, 0, 640, 480, path.c_str()) == 0;
    dx_ScreenFlip();
    std::printf("%s %s\n", ok ? "wrote" : "could not write", path.c_str());
    return ok;
}

// Runs `frames` frames of the scripted input, handing each to `input`.
void fFrames(const std::string& script, int frames, const std::function<void()>& input) {
    std::string error;
    if (!dx_SetInputScript(script, error)) {
        throw std::runtime_error(error);
    }
    for (int i = 0; i < frames; ++i) {
        dx_ProcessMessage();
        gKeyManager->fUpdate();
        input();
    }
}

std::string fAt(int offset, const std::string& event) {
    return std::to_string(dx_GetFrameCount() + offset) + " " + event + "\n";
}

bool fNotice(const std::string& folder) {
    CMessageInfo messages;
    char text[160];
    std::snprintf(text, sizeof text, fTr("ランキングデータの送信に成功しました\nあなたの順位は%d位です"), 3);
    messages.fAddMessage(text);
    CPagedMessageWindow notice(std::move(messages));
    for (int i = 0; i < 20; ++i) {
        notice.fUpdate();
    }
    return fSave([&] { notice.fDraw(); }, folder + "/window_notice.png");
}

bool fNameEntry(const std::string& folder) {
    CNameEntryWindowEx entry(gui::fStandardFont(), 12);
    fFrames(fAt(0, "text Tavo ni?"), 1, [&] { entry.fInput(); });
    const bool typing = fSave([&] { entry.fDraw(); }, folder + "/window_name_entry.png");
    fFrames(fAt(0, "tap Return"), 1, [&] { entry.fInput(); });
    return typing && fSave([&] { entry.fDraw(); }, folder + "/window_name_confirm.png");
}

bool fTip(const std::string& folder) {
    // A scratch tips file, so the game's own is left alone.
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / "tavoni_window_showcase_tips.dat";
    std::vector<bool> flags(CTipsManager::kTipCount, false);
    flags[int(ETips::AREA_BORDERS)] = true;
    flags[int(ETips::RICE_AND_SEAWEED_AREA)] = true;
    fWriteTipsFile(file.string(), flags);
    bool ok = false;
    {
        CTipsManager tips(file.string());
        tips.fOpen(CTipsManager::EScene::START_MENU);
        ok = fSave([&] { tips.fDraw(); }, folder + "/window_tip.png");
    }
    std::filesystem::remove(file);
    return ok;
}

// From the defaults, the focus moved down to attack and pad button 4 pressed there; nothing is saved.
bool fOptionMenu(const std::string& folder) {
    *gOptionInfo = COptionInfo();
    gKeyManager->fSetupPadButtonFromSetting();
    COptionMenu menu;
    std::string script;
    for (int i = 0; i < 4; ++i) {
        script += fAt(1 + 2 * i, "tap Down");
    }
    script += fAt(9, "tap Pad4");
    fFrames(script, 11, [&] {
        menu.fInput();
        menu.fUpdate();
    });
    return fSave([&] { menu.fDraw(); }, folder + "/window_option.png");
}

// Sample entries in no order: names of every allowed kind (punctuation, the longest), shared scores, and
// more than a page, so the arrow to the next page shows.
bool fRanking(const std::string& folder) {
    const struct {
        const char* name;
        int score;
        const char* date;
    } samples[] = {
        {"Tavo-ni", 182340, "2024/05/02 21:14:09"},
        {"a%b&c#d/e", 201450, "2024/05/11 08:02:51"},
        {"HungryKnight", 201450, "2024/04/28 19:40:33"},
        {"mochi", 95210, "2024/05/12 23:59:59"},
        {"Ramen.Lover", 150000, "2024/05/01 12:00:00"},
        {"_sheep_", 77120, "2024/03/15 07:30:00"},
        {"P.P", 150000, "2024/05/09 18:45:12"},
        {"onigiri", 64800, "2024/05/10 10:10:10"},
        {"x", 3120, "2024/02/29 02:22:22"},
        {"WHEAT_MAN", 120560, "2024/04/01 09:00:00"},
        {"kome", 48000, "2024/05/03 16:20:00"},
    };
    std::vector<SRankingData> entries;
    int id = 0;
    for (const auto& s : samples) {
        entries.push_back({0, s.name, s.score, "sample" + std::to_string(id++), s.date});
    }
    CShowRankingWindow ranking(std::move(entries));
    for (int i = 0; i < 3; ++i) {
        ranking.fUpdate();
    }
    ranking.fGetWindow().fMoveFocus(FOCUS_DOWN);
    ranking.fGetWindow().fMoveFocus(FOCUS_DOWN);
    return fSave([&] { ranking.fDraw(); }, folder + "/window_ranking.png");
}

} // namespace

int main(int argc, char** argv) {
    return fShowcaseMain("tavoni_window_showcase", argc, argv, [](const std::string& folder) {
        return fNotice(folder) && fNameEntry(folder) && fTip(folder) && fOptionMenu(folder) &&
               fRanking(folder);
    });
}
