#include "ScratchFolder.h"
#include "base/CException.h"
#include "input/CKeyManager.h"
#include "input/CKeyRepeatManager.h"
#include "input/LiveKeysTest.h"

#include <algorithm>
#include <array>
#include <dx/DxLib.h>
#include <gtest/gtest.h>

using K = EGameKey;
using D = EDirectionTenkey;

namespace {

class KeyManagerTest : public CLiveKeysTest {};

} // namespace

TEST_F(KeyManagerTest, KeyDownAtConstructionIsNoPushUntilReleased) {
    dx_TestSetKeyState({KEY_INPUT_Z}, 0, false);
    CKeyManager keys;
    keys.fUpdate();
    EXPECT_TRUE(keys.fIsHold(K::KEY_Z));
    EXPECT_TRUE(keys.fIsPush(K::KEY_Z, false));
    EXPECT_FALSE(keys.fIsPush(K::KEY_Z, true));
    EXPECT_FALSE(keys.fIsKeyboardPushed(K::KEY_Z));
    frame(keys, {KEY_INPUT_Z});
    EXPECT_FALSE(keys.fIsPush(K::KEY_Z, true));
    frame(keys, {});
    EXPECT_FALSE(keys.fIsPush(K::KEY_Z, true));
    frame(keys, {KEY_INPUT_Z});
    EXPECT_TRUE(keys.fIsPush(K::KEY_Z, true));
}

TEST_F(KeyManagerTest, PushIsReportedOncePerPressAndTheLatchIsShared) {
    CKeyManager keys;
    frame(keys, {});
    EXPECT_FALSE(keys.fIsPush(K::KEY_Z, true)); // seen up: armed
    frame(keys, {KEY_INPUT_Z});
    EXPECT_TRUE(keys.fIsPush(K::KEY_Z, true));
    EXPECT_FALSE(keys.fIsPush(K::KEY_Z, true));
    EXPECT_FALSE(keys.fIsKeyboardPushed(K::KEY_Z));
    frame(keys, {KEY_INPUT_Z});
    EXPECT_FALSE(keys.fIsPush(K::KEY_Z, true));
    // The keyboard query reads the device at the call and moves the same latch.
    dx_TestSetKeyState({}, 0, false);
    EXPECT_FALSE(keys.fIsKeyboardPushed(K::KEY_Z));
    dx_TestSetKeyState({KEY_INPUT_Z}, 0, false);
    EXPECT_TRUE(keys.fIsKeyboardPushed(K::KEY_Z));
    keys.fUpdate();
    EXPECT_FALSE(keys.fIsPush(K::KEY_Z, true));
}

TEST_F(KeyManagerTest, KeyboardPushIgnoresThePad) {
    CKeyManager keys;
    dx_TestSetKeyState({}, 0x10, true);
    keys.fUpdate();
    EXPECT_TRUE(keys.fIsHold(K::KEY_Z));
    EXPECT_FALSE(keys.fIsKeyboardPushed(K::KEY_Z)); // the pad is not the keyboard; this re-arms the latch
    EXPECT_TRUE(keys.fIsPush(K::KEY_Z, true));
}

TEST_F(KeyManagerTest, IsDownReadsTheDevicesAtTheCall) {
    CKeyManager keys;
    frame(keys, {});
    dx_TestSetKeyState({KEY_INPUT_X}, 0, false);
    EXPECT_TRUE(keys.fIsDown(K::KEY_X));
    EXPECT_FALSE(keys.fIsHold(K::KEY_X));
}

TEST_F(KeyManagerTest, DirectionPriorities) {
    CKeyManager keys;
    const std::vector<std::pair<std::vector<int>, D>> cases = {
        {{}, D::NEUTRAL},
        {{KEY_INPUT_J}, D::LEFT},
        {{KEY_INPUT_L}, D::RIGHT},
        {{KEY_INPUT_I}, D::UP},
        {{KEY_INPUT_K}, D::DOWN},
        {{KEY_INPUT_J, KEY_INPUT_L}, D::LEFT},
        {{KEY_INPUT_I, KEY_INPUT_K}, D::UP},
        {{KEY_INPUT_J, KEY_INPUT_I, KEY_INPUT_L}, D::UP_LEFT},
        {{KEY_INPUT_J, KEY_INPUT_K}, D::DOWN_LEFT},
        {{KEY_INPUT_J, KEY_INPUT_I, KEY_INPUT_K}, D::UP_LEFT},
        {{KEY_INPUT_I, KEY_INPUT_L}, D::UP_RIGHT},
        {{KEY_INPUT_I, KEY_INPUT_L, KEY_INPUT_K}, D::UP_RIGHT},
        {{KEY_INPUT_L, KEY_INPUT_K}, D::DOWN_RIGHT},
        {{KEY_INPUT_LEFT, KEY_INPUT_UP}, D::UP_LEFT},
        {{KEY_INPUT_DOWN, KEY_INPUT_RIGHT}, D::DOWN_RIGHT},
    };
    for (const auto& [down, direction] : cases) {
        frame(keys, down);
        EXPECT_EQ(keys.fGetDirection(), direction) << static_cast<int>(direction);
    }
    frame(keys, {}, PAD_INPUT_LEFT | PAD_INPUT_RIGHT, true);
    EXPECT_EQ(keys.fGetDirection(), D::LEFT);
}

TEST_F(KeyManagerTest, MovementKeysAnswerToBothClustersArrowKeysToArrowsOnly) {
    CKeyManager keys;
    frame(keys, {KEY_INPUT_J, KEY_INPUT_LEFT});
    EXPECT_TRUE(keys.fIsHold(K::LEFT));
    frame(keys, {KEY_INPUT_LEFT});
    EXPECT_TRUE(keys.fIsHold(K::LEFT));
    EXPECT_TRUE(keys.fIsHold(K::ARROW_LEFT));
    frame(keys, {KEY_INPUT_J});
    EXPECT_TRUE(keys.fIsHold(K::LEFT));
    EXPECT_FALSE(keys.fIsHold(K::ARROW_LEFT));
    const std::pair<int, K> table[] = {
        {KEY_INPUT_I, K::UP},           {KEY_INPUT_L, K::RIGHT},         {KEY_INPUT_K, K::DOWN},
        {KEY_INPUT_UP, K::ARROW_UP},    {KEY_INPUT_Z, K::KEY_Z},         {KEY_INPUT_X, K::KEY_X},
        {KEY_INPUT_C, K::KEY_C},        {KEY_INPUT_A, K::KEY_A},         {KEY_INPUT_S, K::KEY_S},
        {KEY_INPUT_D, K::KEY_D},        {KEY_INPUT_SPACE, K::KEY_SPACE}, {KEY_INPUT_F1, K::KEY_F1},
        {KEY_INPUT_F10, K::KEY_F10},    {KEY_INPUT_F11, K::KEY_F11},     {KEY_INPUT_F12, K::KEY_F12},
        {KEY_INPUT_ESCAPE, K::KEY_ESC},
    };
    for (const auto& [code, key] : table) {
        frame(keys, {code});
        for (int k = 0; k < kGameKeyCount; ++k) {
            const bool alias = key == K::ARROW_UP && static_cast<K>(k) == K::UP;
            EXPECT_EQ(keys.fIsHold(static_cast<K>(k)), static_cast<K>(k) == key || alias)
                << "code " << code << " key " << k;
        }
    }
}

TEST_F(KeyManagerTest, PadMappingFollowsTheSettings) {
    gOptionInfo->buttons[8] = 0x80; // Z on button 4
    CKeyManager keys;
    EXPECT_EQ(keys.fGetPadMask(K::KEY_Z), 0x80);
    frame(keys, {}, 0x10, true); // button 1
    EXPECT_FALSE(keys.fIsHold(K::KEY_Z));
    frame(keys, {}, 0x80, true); // button 4
    EXPECT_TRUE(keys.fIsHold(K::KEY_Z));
    EXPECT_TRUE(keys.fIsHold(K::KEY_A));
    EXPECT_NE(keys.fCheckJoypad(K::KEY_Z), 0);

    // A change of the settings takes effect when the manager is told.
    gOptionInfo->buttons[0] = 0x20;
    frame(keys, {}, 0x20, true);
    EXPECT_FALSE(keys.fIsHold(K::LEFT));
    keys.fSetupPadButtonFromSetting();
    frame(keys, {}, 0x20, true);
    EXPECT_TRUE(keys.fIsHold(K::LEFT));
    EXPECT_TRUE(keys.fIsHold(K::KEY_X));
    EXPECT_FALSE(keys.fIsHold(K::ARROW_LEFT)); // entries 4..7 are not configurable
}

TEST_F(KeyManagerTest, DefaultCodesAndMasks) {
    CKeyManager keys;
    EXPECT_EQ(keys.fGetKeyCode(K::LEFT), 0x24);
    EXPECT_EQ(keys.fGetKeyCode(K::ARROW_DOWN), 0xD0);
    EXPECT_EQ(keys.fGetKeyCode(K::KEY_ESC), 0x01);
    EXPECT_EQ(keys.fGetPadMask(K::DOWN), 0x1);
    EXPECT_EQ(keys.fGetPadMask(K::KEY_SPACE), 0x800);
    for (int k = static_cast<int>(K::KEY_F1); k < kGameKeyCount; ++k) {
        EXPECT_EQ(static_cast<std::uint32_t>(keys.fGetPadMask(static_cast<K>(k))), 0x80000000u);
    }
}

TEST_F(KeyManagerTest, WithoutAPadEveryPadQueryIsUp) {
    CKeyManager keys;
    frame(keys, {}, 0xFFFF, false);
    for (int k = 0; k < kGameKeyCount; ++k) {
        EXPECT_FALSE(keys.fIsHold(static_cast<K>(k)));
        EXPECT_EQ(keys.fCheckJoypad(static_cast<K>(k)), 0);
    }
    EXPECT_EQ(keys.fGetPressedJoypadButton(), -1);
}

TEST_F(KeyManagerTest, PressedJoypadButtonIsTheLowestButtonBit) {
    CKeyManager keys;
    dx_TestSetKeyState({}, PAD_INPUT_LEFT | 0x40 | 0x200, true);
    EXPECT_EQ(keys.fGetPressedJoypadButton(), 0x40);
    dx_TestSetKeyState({}, PAD_INPUT_UP | PAD_INPUT_DOWN, true);
    EXPECT_EQ(keys.fGetPressedJoypadButton(), -1);
    dx_TestSetKeyState({}, 0x80000, true);
    EXPECT_EQ(keys.fGetPressedJoypadButton(), 0x80000);
    dx_TestSetKeyState({}, 0x100000, true); // button 17 is not offered
    EXPECT_EQ(keys.fGetPressedJoypadButton(), -1);
}

// ---- key repeat ----------------------------------------------------------------------------------------

namespace {
// Holds exactly the keys the test says.
class CFakeKeys final : public CKeyManagerBase {
public:
    void fUpdate() override {}
    EDirectionTenkey fGetDirection() override { return D::NEUTRAL; }
    bool fIsDown(K key) override { return held[static_cast<std::size_t>(key)]; }
    bool fIsKeyboardPushed(K) override { return false; }
    bool fIsHold(K key) override { return held[static_cast<std::size_t>(key)]; }
    bool fIsPush(K key, bool trigger) override { return !trigger && held[static_cast<std::size_t>(key)]; }
    int fGetPressedJoypadButton() override { return -1; }
    void fSetupPadButtonFromSetting() override {}
    std::array<bool, kGameKeyCount> held{};
};

std::vector<int> repeatFrames(CKeyRepeatManager& repeat, CFakeKeys& keys, K key, int frames,
                              const std::vector<int>& releasedFrames = {}) {
    std::vector<int> result;
    for (int f = 1; f <= frames; ++f) {
        keys.held[static_cast<std::size_t>(key)] =
            std::find(releasedFrames.begin(), releasedFrames.end(), f) == releasedFrames.end();
        repeat.fUpdate(keys);
        if (repeat.fIsRepeat(keys, key)) {
            result.push_back(f);
        }
    }
    return result;
}
} // namespace

TEST(KeyRepeatTest, FirstRepeatAtFrame22ThenEvery9Frames) {
    CKeyRepeatManager repeat;
    repeat.fAddKey(K::DOWN);
    repeat.fAddKey(K::UP);
    CFakeKeys keys;
    EXPECT_EQ(repeatFrames(repeat, keys, K::DOWN, 50), (std::vector<int>{22, 31, 40, 49}));
    EXPECT_FALSE(repeat.fIsRepeat(keys, K::UP));
}

TEST(KeyRepeatTest, ReleasingForOneFrameRestartsTheDelay) {
    CKeyRepeatManager repeat;
    repeat.fAddKey(K::DOWN);
    CFakeKeys keys;
    EXPECT_EQ(repeatFrames(repeat, keys, K::DOWN, 50, {25}), (std::vector<int>{22, 47}));
}

TEST(KeyRepeatTest, UnaskedRepeatStaysDue) {
    CKeyRepeatManager repeat;
    repeat.fAddKey(K::DOWN);
    CFakeKeys keys;
    keys.held[static_cast<std::size_t>(K::DOWN)] = true;
    for (int f = 1; f <= 30; ++f) {
        repeat.fUpdate(keys);
    }
    EXPECT_TRUE(repeat.fIsRepeat(keys, K::DOWN));
    EXPECT_FALSE(repeat.fIsRepeat(keys, K::DOWN));
}

TEST(KeyRepeatTest, TwoInfosOfOneKeyResetOnlyTheFirstDue) {
    CKeyRepeatManager repeat;
    repeat.fAddKey(K::DOWN);
    repeat.fAddKey(K::DOWN);
    CFakeKeys keys;
    keys.held[static_cast<std::size_t>(K::DOWN)] = true;
    for (int f = 1; f <= 22; ++f) {
        repeat.fUpdate(keys);
    }
    EXPECT_TRUE(repeat.fIsRepeat(keys, K::DOWN));
    EXPECT_TRUE(repeat.fIsRepeat(keys, K::DOWN)); // the second info was still due
    EXPECT_FALSE(repeat.fIsRepeat(keys, K::DOWN));
}

TEST(KeyRepeatTest, ManagerWithoutInfosNeverRepeats) {
    CKeyRepeatManager repeat;
    CFakeKeys keys;
    keys.held.fill(true);
    for (int f = 1; f <= 40; ++f) {
        repeat.fUpdate(keys);
        EXPECT_FALSE(repeat.fIsRepeat(keys, K::DOWN));
    }
}
