// The one input interface of the game. Every consumer asks gKeyManager about logical game keys, so the
// game cannot tell live input (CKeyManager) from a replay (CKeyPlayer).
#pragma once

#include "input/Enums.h"

#include <memory>

class CKeyManagerBase {
public:
    virtual ~CKeyManagerBase() = default;

    // Samples every key for this frame; called once per frame before the scene updates.
    virtual void fUpdate() = 0;
    // Direction of the frame states of LEFT, UP, RIGHT, DOWN; left beats right and up beats down.
    // The held direction keys as one of eight directions or none.
    virtual EDirectionTenkey fGetDirection();
    // Key down right now (read from the devices at the call, not the frame state).
    virtual bool fIsDown(EGameKey key) = 0;
    // A push seen on the keyboard alone at the call, through the key's push latch.
    virtual bool fIsKeyboardPushed(EGameKey key) = 0;
    // Frame state of the key.
    virtual bool fIsHold(EGameKey key) = 0;
    // trigger false: fIsHold. trigger true: held and not yet reported since it was last seen up.
    virtual bool fIsPush(EGameKey key, bool trigger) = 0;
    // Lowest pressed gamepad button bit (buttons 1 to 16), or -1.
    virtual int fGetPressedJoypadButton() = 0;
    // Copies the configurable gamepad buttons from gOptionInfo.
    virtual void fSetupPadButtonFromSetting() = 0;
    // Takes the keyboard keys the player chose; a manager without a keyboard has nothing to take.
    virtual void fApplyKeyBindings() {}
    // Whether the last key or button pressed was on a gamepad (the name entry then offers its grid).
    virtual bool fLastInputFromPad() { return false; }

protected:
    // Checks a key index; one outside 0..27 is a programming error.
    static int fKeyIndex(EGameKey key);
    // The decision of fGetDirection from the four held directions.
    static EDirectionTenkey fDecideDirection(bool left, bool up, bool right, bool down);
    // The push latch shared by fIsPush(key, true) and fIsKeyboardPushed: true when down and not yet
    // reported; a key seen up re-arms it.
    static bool fApplyPushLatch(bool& latch, bool down);
};

extern std::unique_ptr<CKeyManagerBase> gKeyManager;
