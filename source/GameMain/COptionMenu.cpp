#include "GameMain/COptionMenu.h"

#include "GameMain/CStartMenu.h"
#include "GameMain/GameRecords.h"
#include "base/CException.h"
#include "base/Check.h"
#include "base/Log.h"
#include "gui/GuiHelper.h"
#include "util/CKeyManagerBase.h"
#include "util/COptionInfo.h"

#include <array>

namespace {

struct SRow {
    const char* name;
    const char* caption;
    bool configurable;
};

// The heading first, then the key rows; the captions' gaps are full-width spaces so the button names line
// up in the proportional font.
constexpr std::array<SRow, 7> kRows{{
    {"TEXT2", "【ゲームパッド】", false},
    {"LEFT", "左移動　　　　:", true},
    {"UP", "上移動　　　　:", true},
    {"RIGHT", "右移動　　　　:", true},
    {"DOWN", "下移動　　　　:", true},
    {"KEY_Z", "攻撃　　　　　:", true},
    {"KEY_X", "交代　　　　　:", true},
}};

constexpr int kWindowX = 5;
constexpr int kWindowY = 5;
constexpr int kWindowWidth = 340;

std::string fRowText(const SRow& row) {
    if (!row.configurable) {
        return row.caption;
    }
    return std::string(row.caption) +
           gOptionInfo->fGetButtonName(static_cast<int>(COptionMenu::fGameKeyOfRow(row.name)));
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

    // The heading is never focused: start on the first key and wrap around it.
    mWindow->fSetFocus("TEXT2", false);
    mWindow->fSetFocus("LEFT", true);
    mWindow->fSetWidgetNeighbour("KEY_X", FOCUS_DOWN, "LEFT");
    mWindow->fSetWidgetNeighbour("LEFT", FOCUS_UP, "KEY_X");

    mKeyRepeat.fAddKey(EGameKey::DOWN);
    mKeyRepeat.fAddKey(EGameKey::UP);
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
    mWindow->fUpdate();
}

void COptionMenu::fInput() {
    // Only the keyboard navigates: the pad's buttons are being assigned.
    if (gKeyManager->fIsKeyboardPushed(EGameKey::DOWN)) {
        mWindow->fMoveFocus(FOCUS_DOWN);
        return;
    }
    if (gKeyManager->fIsKeyboardPushed(EGameKey::UP)) {
        mWindow->fMoveFocus(FOCUS_UP);
        return;
    }
    // A held button is assigned again every frame, which changes nothing.
    const int button = gKeyManager->fGetPressedJoypadButton();
    if (button >= 0) {
        const EGameKey key = fGameKeyOfRow(mWindow->fGetFocusName());
        gOptionInfo->buttons[static_cast<std::size_t>(key)] = button;
        gKeyManager->fSetupPadButtonFromSetting();
        fRefreshLabels();
    }
    // Both are read, so that a push of the other one is not left for the start menu to take as its own.
    const bool x = gKeyManager->fIsKeyboardPushed(EGameKey::KEY_X);
    const bool z = gKeyManager->fIsKeyboardPushed(EGameKey::KEY_Z);
    if (x || z) {
        fSave();
        fReturnToStartMenu();
    }
}

void COptionMenu::fDraw() {
    mWindow->fDraw();
}

void COptionMenu::fSave() {
    try {
        fSaveSetting();
    } catch (const CException& e) {
        // Not worth ending the game over: the buttons stay assigned until it is closed.
        fLogWarning(std::string("the gamepad settings could not be saved: ") + e.what());
    }
}

void COptionMenu::fRefreshLabels() {
    for (const SRow& row : kRows) {
        mWindow->fSetLabelText(row.name, fRowText(row));
    }
}
