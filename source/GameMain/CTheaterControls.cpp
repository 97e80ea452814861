#include "GameMain/CTheaterControls.h"

#include <dx/DxLib.h>

namespace {

// Pad state bits: the d-pad, then button n + 1 at bit 4 + n (A, B, X, Y, LB, RB, Back, Start).
constexpr int kPadDown = 1 << 0;
constexpr int kPadLeft = 1 << 1;
constexpr int kPadRight = 1 << 2;
constexpr int kPadUp = 1 << 3;
constexpr int kPadA = 1 << 4;
constexpr int kPadB = 1 << 5;
constexpr int kPadX = 1 << 6;
constexpr int kPadY = 1 << 7;
constexpr int kPadLb = 1 << 8;
constexpr int kPadRb = 1 << 9;
constexpr int kPadBack = 1 << 10;
constexpr int kPadStart = 1 << 11;

struct SBinding {
    ETheaterControl control;
    int keys[2]; // either key, 0 for none
    int pad;     // pad bit, 0 for none
    int shift;   // 1: only with Shift, -1: only without, 0: either
};

constexpr SBinding kBindings[] = {
    {ETheaterControl::LEAVE, {KEY_INPUT_ESCAPE, 0}, 0, 0},
    {ETheaterControl::FAST_FORWARD, {KEY_INPUT_F1, 0}, 0, 0},
    {ETheaterControl::PAUSE, {KEY_INPUT_P, 0}, kPadStart, 0},
    {ETheaterControl::STEP, {KEY_INPUT_PERIOD, 0}, kPadA, 0},
    {ETheaterControl::STEP_BACK, {KEY_INPUT_COMMA, 0}, kPadB, 0},
    {ETheaterControl::SLOWER, {KEY_INPUT_LBRACKET, KEY_INPUT_MINUS}, kPadX, 0},
    {ETheaterControl::SLOWER, {KEY_INPUT_SUBTRACT, 0}, 0, 0},
    {ETheaterControl::FASTER, {KEY_INPUT_RBRACKET, KEY_INPUT_EQUALS}, kPadY, 0},
    {ETheaterControl::FASTER, {KEY_INPUT_ADD, 0}, 0, 0},
    {ETheaterControl::BACK_5S, {KEY_INPUT_LEFT, 0}, kPadLeft, -1},
    {ETheaterControl::FORWARD_5S, {KEY_INPUT_RIGHT, 0}, kPadRight, -1},
    {ETheaterControl::BACK_30S, {KEY_INPUT_DOWN, 0}, kPadDown, 0},
    {ETheaterControl::BACK_30S, {KEY_INPUT_LEFT, 0}, 0, 1},
    {ETheaterControl::FORWARD_30S, {KEY_INPUT_UP, 0}, kPadUp, 0},
    {ETheaterControl::FORWARD_30S, {KEY_INPUT_RIGHT, 0}, 0, 1},
    {ETheaterControl::TO_START, {KEY_INPUT_HOME, 0}, kPadBack, 0},
    {ETheaterControl::PREVIOUS_MOMENT, {KEY_INPUT_PGUP, 0}, kPadLb, 0},
    {ETheaterControl::NEXT_MOMENT, {KEY_INPUT_PGDN, 0}, kPadRb, 0},
};
constexpr int kDigitKeys[10] = {KEY_INPUT_0, KEY_INPUT_1, KEY_INPUT_2, KEY_INPUT_3, KEY_INPUT_4,
                                KEY_INPUT_5, KEY_INPUT_6, KEY_INPUT_7, KEY_INPUT_8, KEY_INPUT_9};
constexpr int kBindingCount = static_cast<int>(sizeof kBindings / sizeof kBindings[0]);
// Bits of mDown: one per binding, then the digits, then the mouse button.
constexpr int kDigitBit = kBindingCount;
constexpr int kMouseBit = kDigitBit + 10;
static_assert(kMouseBit < 64, "every control has a bit");

} // namespace

void CTheaterControls::fSetTimeline(int left, int top, int right, int bottom) {
    mTimelineLeft = left;
    mTimelineTop = top;
    mTimelineRight = right;
    mTimelineBottom = bottom;
}

bool CTheaterControls::fPushed(int bit, bool down) {
    const unsigned long long mask = 1ull << bit;
    const bool was = (mDown & mask) != 0;
    mDown = down ? (mDown | mask) : (mDown & ~mask);
    return down && !was;
}

std::vector<STheaterInput> CTheaterControls::fRead() {
    std::vector<STheaterInput> pushed;
    const bool active = dx_GetWindowActiveFlag() != 0;
    mFocusLost = mActive && !active;
    mActive = active;
    const int pad = dx_GetJoypadInputState(1);
    const bool shift = dx_CheckHitKey(KEY_INPUT_LSHIFT) != 0 || dx_CheckHitKey(KEY_INPUT_RSHIFT) != 0;
    for (int i = 0; i < kBindingCount; ++i) {
        const SBinding& b = kBindings[i];
        bool keyDown = false;
        for (int key : b.keys) {
            keyDown = keyDown || (key != 0 && dx_CheckHitKey(key) != 0);
        }
        keyDown = keyDown && (b.shift == 0 || (b.shift > 0) == shift);
        const bool down = keyDown || (b.pad != 0 && (pad & b.pad) != 0);
        if (fPushed(i, down)) {
            pushed.push_back({b.control});
            mLastFromPad = !keyDown;
        }
    }
    for (int digit = 0; digit < 10; ++digit) {
        if (fPushed(kDigitBit + digit, dx_CheckHitKey(kDigitKeys[digit]) != 0)) {
            pushed.push_back({ETheaterControl::TO_FRACTION, digit / 10.0});
            mLastFromPad = false;
        }
    }
    int x = 0;
    int y = 0;
    dx_GetMousePoint(&x, &y);
    const bool click = (dx_GetMouseInput() & 1) != 0;
    if (fPushed(kMouseBit, click) && x >= mTimelineLeft && x <= mTimelineRight && y >= mTimelineTop &&
        y <= mTimelineBottom && mTimelineRight > mTimelineLeft) {
        pushed.push_back({ETheaterControl::TO_FRACTION,
                          static_cast<double>(x - mTimelineLeft) / (mTimelineRight - mTimelineLeft)});
        mLastFromPad = false;
    }
    return pushed;
}
