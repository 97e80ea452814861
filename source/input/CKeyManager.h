// Live input: each game key is a keyboard key (movement keys have two) and a gamepad bit, sampled once a
// frame. A listener (the replay's recorder) may see every sampled frame.
#pragma once

#include "input/CKeyManagerBase.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Sees the 28 key states of every frame the key manager samples (0 up, 1 down).
class CKeyFrameListener {
public:
    virtual ~CKeyFrameListener() = default;
    virtual void fOnKeyFrame(const std::array<int, kGameKeyCount>& states) = 0;
};

class CKeyManager : public CKeyManagerBase {
public:
    // Needs the settings loaded (gOptionInfo, read through input/PadSetting.h) for the pad mapping.
    CKeyManager();
    ~CKeyManager() override = default;
    CKeyManager(const CKeyManager&) = delete;
    CKeyManager& operator=(const CKeyManager&) = delete;

    void fUpdate() override;
    bool fIsDown(EGameKey key) override;
    bool fIsKeyboardPushed(EGameKey key) override;
    bool fIsHold(EGameKey key) override;
    bool fIsPush(EGameKey key, bool trigger) override;
    int fGetPressedJoypadButton() override;
    void fSetupPadButtonFromSetting() override;
    // Takes the keyboard keys from the bindings in use (input/KeyBindings.h); the constructor does too.
    void fApplyKeyBindings() override;
    bool fLastInputFromPad() override { return lastFromPad_; }

    // Keyboard alone; LEFT, UP, RIGHT, DOWN also answer to the arrow keys of keys 4 to 7.
    virtual bool fCheckKeyboard(EGameKey key);
    // The first pad's state word masked with the key's pad bit (non-zero = down).
    virtual int fCheckJoypad(EGameKey key);
    virtual int fGetKeyCode(EGameKey key);
    virtual int fGetPadMask(EGameKey key);

    // Every frame sampled from now on is handed to `listener` while it lives; null stops it.
    void fSetFrameListener(std::weak_ptr<CKeyFrameListener> listener) {
        frameListener_ = std::move(listener);
    }

private:
    std::array<int, kGameKeyCount> frameState_{};
    std::array<int, kGameKeyCount> keyCode_{};
    std::array<int, kGameKeyCount> padMask_{};
    std::array<bool, kGameKeyCount> pushLatch_{};
    std::weak_ptr<CKeyFrameListener> frameListener_;
    bool lastFromPad_ = false;
};
