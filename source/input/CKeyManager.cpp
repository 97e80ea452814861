#include "input/CKeyManager.h"

#include "base/Check.h"
#include "input/KeyBindings.h"
#include "input/PadSetting.h"

#include <dx/DxLib.h>

namespace {
constexpr int kNoPadButton = static_cast<int>(0x80000000u);

constexpr std::array<int, kGameKeyCount> kDefaultKeyCodes = {
    0x24, 0x17, 0x26, 0x25,                                     // J I L K
    0xCB, 0xC8, 0xCD, 0xD0,                                     // arrows
    0x2C, 0x2D, 0x2E, 0x1E, 0x1F, 0x20, 0x39,                   // Z X C A S D Space
    0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x41, 0x42, 0x43, 0x44, // F1 .. F10
    0x57, 0x58, 0x01,                                           // F11 F12 Esc
};

constexpr std::array<int, kGameKeyCount> kDefaultPadMasks = {
    0x2,          0x8,          0x4,          0x1,          0x2,          0x8,          0x4,
    0x1,          0x10,         0x20,         0x40,         0x80,         0x100,        0x200,
    0x800,        kNoPadButton, kNoPadButton, kNoPadButton, kNoPadButton, kNoPadButton, kNoPadButton,
    kNoPadButton, kNoPadButton, kNoPadButton, kNoPadButton, kNoPadButton, kNoPadButton, kNoPadButton,
};
} // namespace

CKeyManager::CKeyManager() {
    pushLatch_.fill(true);
    frameState_.fill(0);
    keyCode_ = kDefaultKeyCodes;
    fApplyKeyBindings();
    padMask_ = kDefaultPadMasks;
    fSetupPadButtonFromSetting();
    for (int k = static_cast<int>(EGameKey::KEY_F1); k < kGameKeyCount; ++k) {
        padMask_[static_cast<std::size_t>(k)] = kNoPadButton;
    }
}

void CKeyManager::fApplyKeyBindings() {
    // The player's keys take the arrows' places (I J K L still walk) and Z, X, C's.
    const SKeyBindings& b = fKeyBindings();
    keyCode_[static_cast<std::size_t>(EGameKey::ARROW_LEFT)] = b.fCode(EBoundKey::LEFT);
    keyCode_[static_cast<std::size_t>(EGameKey::ARROW_LEFT) + 1] = b.fCode(EBoundKey::UP);
    keyCode_[static_cast<std::size_t>(EGameKey::ARROW_LEFT) + 2] = b.fCode(EBoundKey::RIGHT);
    keyCode_[static_cast<std::size_t>(EGameKey::ARROW_LEFT) + 3] = b.fCode(EBoundKey::DOWN);
    keyCode_[static_cast<std::size_t>(EGameKey::KEY_Z)] = b.fCode(EBoundKey::ATTACK);
    keyCode_[static_cast<std::size_t>(EGameKey::KEY_X)] = b.fCode(EBoundKey::SWAP);
    keyCode_[static_cast<std::size_t>(EGameKey::KEY_C)] = b.fCode(EBoundKey::SORT);
}

void CKeyManager::fUpdate() {
    bool keyboard = false;
    for (int k = 0; k < kGameKeyCount; ++k) {
        frameState_[static_cast<std::size_t>(k)] = fIsDown(static_cast<EGameKey>(k)) ? 1 : 0;
        keyboard = keyboard || fCheckKeyboard(static_cast<EGameKey>(k));
    }
    if (dx_GetJoypadInputState(1) != 0) {
        lastFromPad_ = true;
    } else if (keyboard) {
        lastFromPad_ = false;
    }
    if (const std::shared_ptr<CKeyFrameListener> listener = frameListener_.lock()) {
        listener->fOnKeyFrame(frameState_);
    }
}

bool CKeyManager::fIsDown(EGameKey key) {
    return fCheckKeyboard(key) || fCheckJoypad(key) != 0;
}

bool CKeyManager::fIsKeyboardPushed(EGameKey key) {
    const int index = fKeyIndex(key);
    return fApplyPushLatch(pushLatch_[static_cast<std::size_t>(index)], fCheckKeyboard(key));
}

bool CKeyManager::fIsHold(EGameKey key) {
    return frameState_[static_cast<std::size_t>(fKeyIndex(key))] == 1;
}

bool CKeyManager::fIsPush(EGameKey key, bool trigger) {
    if (!trigger) {
        return fIsHold(key);
    }
    const int index = fKeyIndex(key);
    return fApplyPushLatch(pushLatch_[static_cast<std::size_t>(index)], fIsHold(key));
}

int CKeyManager::fGetPressedJoypadButton() {
    const int pad = dx_GetJoypadInputState(1);
    for (unsigned bit = 0x10; bit <= 0x80000; bit <<= 1) {
        if ((static_cast<unsigned>(pad) & bit) != 0) {
            return static_cast<int>(bit);
        }
    }
    return -1;
}

void CKeyManager::fSetupPadButtonFromSetting() {
    const std::vector<std::int32_t>* setting = fReadPadSetting();
    TAVONI_CHECK(setting != nullptr, "input/CKeyManager", "the settings must be loaded before input");
    const std::vector<std::int32_t>& b = *setting;
    TAVONI_CHECK(b.size() == 15, "input/CKeyManager", "the settings must hold 15 buttons");
    padMask_[static_cast<std::size_t>(EGameKey::KEY_Z)] = b[8];
    padMask_[static_cast<std::size_t>(EGameKey::KEY_X)] = b[9];
    padMask_[static_cast<std::size_t>(EGameKey::KEY_C)] = b[10];
    padMask_[static_cast<std::size_t>(EGameKey::LEFT)] = b[0];
    padMask_[static_cast<std::size_t>(EGameKey::UP)] = b[1];
    padMask_[static_cast<std::size_t>(EGameKey::RIGHT)] = b[2];
    padMask_[static_cast<std::size_t>(EGameKey::DOWN)] = b[3];
}

bool CKeyManager::fCheckKeyboard(EGameKey key) {
    const int index = fKeyIndex(key);
    if (index < 4) {
        return dx_CheckHitKey(keyCode_[static_cast<std::size_t>(index)]) != 0 ||
               dx_CheckHitKey(keyCode_[static_cast<std::size_t>(index + 4)]) != 0;
    }
    return dx_CheckHitKey(keyCode_[static_cast<std::size_t>(index)]) != 0;
}

int CKeyManager::fCheckJoypad(EGameKey key) {
    const int index = fKeyIndex(key);
    return dx_GetJoypadInputState(1) & padMask_[static_cast<std::size_t>(index)];
}

int CKeyManager::fGetKeyCode(EGameKey key) {
    return keyCode_[static_cast<std::size_t>(fKeyIndex(key))];
}

int CKeyManager::fGetPadMask(EGameKey key) {
    return padMask_[static_cast<std::size_t>(fKeyIndex(key))];
}
