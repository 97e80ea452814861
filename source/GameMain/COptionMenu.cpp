#include "GameMain/COptionMenu.h"

#include "GameMain/COptionInfo.h"
#include "GameMain/CStartMenu.h"
#include "GameMain/GameMain.h"
#include "GameMain/GameRecords.h"
#include "GameMain/LanguageSettings.h"
#include "GameMain/VolumeSettings.h"
#include "audio/CSoundManager.h"
#include "base/CException.h"
#include "base/Check.h"
#include "base/Log.h"
#include "base/Translation.h"
#include "gui/GuiHelper.h"
#include "gui/GuiStyle.h"
#include "input/CKeyManagerBase.h"
#include "input/KeyBindings.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <dx/DxLib.h>

namespace {

enum class ERowKind { Heading, PadState, Key, Volume, Language };

struct SRow {
    const char* name;
    const char* caption;
    ERowKind kind;
};

// The headings and the pad's state are never focused; the captions' gaps are full-width spaces so the
// values line up in the proportional font (a translated caption is padded to the same column when shown).
constexpr std::array<SRow, 12> kRows{{
    {"TEXT2", fTrMark("【ゲームパッド】"), ERowKind::Heading},
    {"PAD", "", ERowKind::PadState},
    {"LEFT", fTrMark("左移動　　　　:"), ERowKind::Key},
    {"UP", fTrMark("上移動　　　　:"), ERowKind::Key},
    {"RIGHT", fTrMark("右移動　　　　:"), ERowKind::Key},
    {"DOWN", fTrMark("下移動　　　　:"), ERowKind::Key},
    {"KEY_Z", fTrMark("攻撃　　　　　:"), ERowKind::Key},
    {"KEY_X", fTrMark("交代　　　　　:"), ERowKind::Key},
    {"TEXT3", fTrMark("【音量】"), ERowKind::Heading},
    {"MUSIC", fTrMark("音楽　　　　　:"), ERowKind::Volume},
    {"EFFECTS", fTrMark("効果音　　　　:"), ERowKind::Volume},
    {"LANGUAGE", fTrMark("言語　　　　　:"), ERowKind::Language},
}};

constexpr int kWindowX = 5;
constexpr int kWindowY = 5;
// Wide enough for the language row's longest value, "◀ English ▶", after the Japanese captions.
constexpr int kWindowWidth = 372;

const SRow& fRowNamed(const std::string& name) {
    for (const SRow& row : kRows) {
        if (name == row.name) {
            return row;
        }
    }
    ::util::fFatal("GameMain", "invalide widget name!", __FILE__, __LINE__);
}

bool fPadAttached() {
    return dx_GetJoypadNum() > 0;
}

int fLevelOfRow(const std::string& name) {
    return name == "MUSIC" ? gSoundManager->fGetMusicLevel() : gSoundManager->fGetEffectsLevel();
}

// Arrows on both sides say that LEFT and RIGHT change it.
std::string fLevelText(int level) {
    return "◀ " + std::to_string(level) + " ▶";
}

// The language row's value: the two languages are named in their own words, so either can be found.
std::string fLanguageText(ELanguageSetting setting) {
    switch (setting) {
    case ELanguageSetting::Japanese:
        return "◀ 日本語 ▶";
    case ELanguageSetting::English:
        return "◀ English ▶";
    case ELanguageSetting::Auto:
        break;
    }
    return std::string("◀ ") + fTr("自動") + " ▶";
}

int fTextWidth(const std::string& text) {
    return dx_GetDrawStringWidthToHandle(text.c_str(), static_cast<int>(text.size()), gui::fStandardFont());
}

// A caption followed by its value at the column the widest caption ends at.
std::string fCaptionAtColumn(const SRow& row) {
    int column = 0;
    for (const SRow& other : kRows) {
        if (other.kind != ERowKind::Heading && other.kind != ERowKind::PadState) {
            column = std::max(column, fTextWidth(fTr(other.caption)));
        }
    }
    std::string caption = fTr(row.caption);
    const int space = std::max(1, fTextWidth(" "));
    for (int width = fTextWidth(caption); width + space / 2 < column; width += space) {
        caption += ' ';
    }
    return caption;
}

std::string fRowText(const SRow& row) {
    switch (row.kind) {
    case ERowKind::Heading:
        return fTr(row.caption);
    case ERowKind::PadState:
        return fPadAttached() ? fTr("パッド：接続中") : fTr("パッド：未接続");
    case ERowKind::Key:
        return fCaptionAtColumn(row) +
               gOptionInfo->fGetButtonName(static_cast<int>(COptionMenu::fGameKeyOfRow(row.name)));
    case ERowKind::Volume:
        return fCaptionAtColumn(row) + fLevelText(fLevelOfRow(row.name));
    case ERowKind::Language:
        return fCaptionAtColumn(row) + fLanguageText(fGetLanguageSetting());
    }
    return row.caption;
}

// The one place that knows which scene the menu goes back to.
void fReturnToStartMenu() {
    gScene = std::make_unique<CStartMenu>();
}

} // namespace

COptionMenu::COptionMenu() {
    TAVONI_CHECK(gOptionInfo != nullptr, "GameMain", "the settings must be loaded before the option menu");
    std::vector<std::pair<std::string, std::string>> labels;
    for (const SRow& row : kRows) {
        labels.emplace_back(row.name, fRowText(row));
    }
    mWindow = fCreateMenuList(kWindowX, kWindowY, labels, kWindowWidth);

    // The headings and the pad's state are never focused: start on the first key and step over them.
    mWindow->fSetFocus("TEXT2", false);
    mWindow->fSetFocus("LEFT", true);
    mWindow->fSetWidgetNeighbour("LANGUAGE", FOCUS_DOWN, "LEFT");
    mWindow->fSetWidgetNeighbour("LEFT", FOCUS_UP, "LANGUAGE");
    mWindow->fSetWidgetNeighbour("KEY_X", FOCUS_DOWN, "MUSIC");
    mWindow->fSetWidgetNeighbour("MUSIC", FOCUS_UP, "KEY_X");
    mPadAttached = fPadAttached();
    fTracePadState();
    mKeyboard = std::make_unique<CKeyboardConfig>(kWindowX + kWindowWidth + kWindowX, kWindowY,
                                                  640 - kWindowWidth - 3 * kWindowX);

    mKeyRepeat.fAddKey(EGameKey::DOWN);
    mKeyRepeat.fAddKey(EGameKey::UP);
    mKeyRepeat.fAddKey(EGameKey::LEFT);
    mKeyRepeat.fAddKey(EGameKey::RIGHT);
}

COptionMenu::~COptionMenu() {
    if (mStartedMusic && gSoundManager) {
        gSoundManager->fStopBgm(BGM_STAGE);
    }
}

EGameKey COptionMenu::fGameKeyOfRow(const std::string& name) {
    if (name == "LEFT") {
        return EGameKey::LEFT;
    }
    if (name == "UP") {
        return EGameKey::UP;
    }
    if (name == "RIGHT") {
        return EGameKey::RIGHT;
    }
    if (name == "DOWN") {
        return EGameKey::DOWN;
    }
    if (name == "KEY_Z") {
        return EGameKey::KEY_Z;
    }
    if (name == "KEY_X") {
        return EGameKey::KEY_X;
    }
    if (name == "KEY_C") {
        return EGameKey::KEY_C;
    }
    ::util::fFatal("GameMain", "invalide widget name!", __FILE__, __LINE__);
}

void COptionMenu::fUpdate() {
    mKeyRepeat.fUpdate(*gKeyManager);
    // Pads come and go while the menu is open.
    if (fPadAttached() != mPadAttached) {
        mPadAttached = !mPadAttached;
        fRefreshLabels();
        fTracePadState();
    }
    mWindow->fUpdate();
}

void COptionMenu::fTracePadState() const {
    if (gLaunchTraceMenu) {
        std::printf("option menu: %s\n", mWindow->fGetTextLabel("PAD")->fGetText().c_str());
    }
}

void COptionMenu::fChangeVolume(const std::string& row, int step) {
    int music = gSoundManager->fGetMusicLevel();
    int effects = gSoundManager->fGetEffectsLevel();
    int& level = row == "MUSIC" ? music : effects;
    const int before = level;
    level = std::clamp(level + step, 0, SVolumeSettings::kMaxLevel);
    if (level == before) {
        return;
    }
    gSoundManager->fSetLevels(music, effects);
    fRefreshLabels();
    // Heard at once: the music plays while its row is changed, an effect sounds at its new level.
    if (row == "MUSIC") {
        if (!mStartedMusic) {
            gSoundManager->fPlayBgm(BGM_STAGE);
            mStartedMusic = true;
        }
    } else {
        gSoundManager->fPlaySe(SE_GET);
    }
}

void COptionMenu::fChangeLanguage(int step) {
    constexpr int kChoices = 3; // Auto, Japanese, English
    const int next = (static_cast<int>(fGetLanguageSetting()) + step + kChoices) % kChoices;
    if (!fApplyLanguageSetting(static_cast<ELanguageSetting>(next))) {
        fLogWarning("the texts stay as they were: the English catalog cannot be used");
    }
    gSoundManager->fPlaySe(SE_CURSOR, false);
    fRefreshLabels();
    if (gLaunchTraceMenu) {
        std::printf("option menu: language %s\n", fLanguageCode(fGetLanguage()));
    }
}

bool COptionMenu::fLeaveKeysPushed() {
    // Both are read, so that a push of the other one is not left for the start menu to take as its own.
    const bool x = gKeyManager->fIsKeyboardPushed(EGameKey::KEY_X);
    const bool z = gKeyManager->fIsKeyboardPushed(EGameKey::KEY_Z);
    return x || z;
}

bool COptionMenu::fKeyboardInput() {
    if (mKeyboard->fInput() == CKeyboardConfig::EAnswer::Back) {
        mOnKeyboard = false;
        mKeyboard->fSetActive(false);
        mWindow->fSetFocus(mWindow->fGetFocusName(), true);
        return false;
    }
    return !mKeyboard->fIsWaiting() && fLeaveKeysPushed();
}

void COptionMenu::fInput() {
    if (mOnKeyboard) {
        if (fKeyboardInput()) {
            fSave();
            fReturnToStartMenu();
        }
        return;
    }
    // Only the keyboard navigates: the pad's buttons are being assigned.
    if (gKeyManager->fIsKeyboardPushed(EGameKey::DOWN)) {
        mWindow->fMoveFocus(FOCUS_DOWN);
        return;
    }
    if (gKeyManager->fIsKeyboardPushed(EGameKey::UP)) {
        mWindow->fMoveFocus(FOCUS_UP);
        return;
    }
    const std::string focus = mWindow->fGetFocusName();
    if (fRowNamed(focus).kind == ERowKind::Key && gKeyManager->fIsKeyboardPushed(EGameKey::RIGHT)) {
        mOnKeyboard = true;
        mKeyboard->fSetActive(true);
        return;
    }
    if (fRowNamed(focus).kind == ERowKind::Volume) {
        if (gKeyManager->fIsKeyboardPushed(EGameKey::LEFT)) {
            fChangeVolume(focus, -1);
        } else if (gKeyManager->fIsKeyboardPushed(EGameKey::RIGHT)) {
            fChangeVolume(focus, +1);
        }
    }
    if (fRowNamed(focus).kind == ERowKind::Language) {
        if (gKeyManager->fIsKeyboardPushed(EGameKey::LEFT)) {
            fChangeLanguage(-1);
        } else if (gKeyManager->fIsKeyboardPushed(EGameKey::RIGHT)) {
            fChangeLanguage(+1);
        }
    }
    // A held button is assigned again every frame, which changes nothing.
    const int button = gKeyManager->fGetPressedJoypadButton();
    if (button >= 0 && fRowNamed(focus).kind == ERowKind::Key) {
        const EGameKey key = fGameKeyOfRow(mWindow->fGetFocusName());
        gOptionInfo->buttons[static_cast<std::size_t>(key)] = button;
        gKeyManager->fSetupPadButtonFromSetting();
        fRefreshLabels();
    }
    if (fLeaveKeysPushed()) {
        fSave();
        fReturnToStartMenu();
    }
}

void COptionMenu::fDraw() {
    mWindow->fDraw();
    mKeyboard->fDraw();
}

void COptionMenu::fSave() {
    try {
        fSaveSetting();
    } catch (const CException& e) {
        // Not worth ending the game over: the buttons stay assigned until it is closed.
        fLogWarning(std::string("the gamepad settings could not be saved: ") + e.what());
    }
    try {
        fSaveVolumeSettings(fUserPath(kVolumeSettingsFile),
                            {gSoundManager->fGetMusicLevel(), gSoundManager->fGetEffectsLevel()});
    } catch (const CException& e) {
        fLogWarning(std::string("the volumes could not be saved: ") + e.what());
    }
    try {
        fSaveKeyBindings(fUserPath(kKeyBindingsFile), fKeyBindings());
    } catch (const CException& e) {
        fLogWarning(std::string("the keyboard's keys could not be saved: ") + e.what());
    }
    try {
        fSaveLanguageSetting(fUserPath(kLanguageSettingsFile), fGetLanguageSetting());
    } catch (const CException& e) {
        fLogWarning(std::string("the language could not be saved: ") + e.what());
    }
}

void COptionMenu::fRefreshLabels() {
    for (const SRow& row : kRows) {
        mWindow->fSetLabelText(row.name, fRowText(row));
    }
    if (mKeyboard) {
        mKeyboard->fRefreshLabels();
    }
}
