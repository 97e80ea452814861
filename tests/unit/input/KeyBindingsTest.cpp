// The keyboard's keys the player chooses: a key taken from another action swaps with it, keys that may not be
// bound are refused, and the file is read back or set aside.
#include "input/KeyBindings.h"
#include "ScratchFolder.h"

#include <fstream>
#include <gtest/gtest.h>

namespace {

TEST(KeyBindings, AKeyAlreadyUsedSwapsPlacesAndNoneIsLost) {
    const SKeyBindings defaults;
    const struct {
        EBoundKey key;
        int code;
        bool bound;
        std::array<int, kBoundKeyCount> expected;
    } cases[] = {
        // A free key: only the action changes.
        {EBoundKey::ATTACK, 0x1E, true, {0xCB, 0xC8, 0xCD, 0xD0, 0x1E, 0x2D, 0x2E, 0x19}},
        // X is swap's: swap takes Z, attack X.
        {EBoundKey::ATTACK, 0x2D, true, {0xCB, 0xC8, 0xCD, 0xD0, 0x2D, 0x2C, 0x2E, 0x19}},
        // P is pause's: pause takes Left.
        {EBoundKey::LEFT, 0x19, true, {0x19, 0xC8, 0xCD, 0xD0, 0x2C, 0x2D, 0x2E, 0xCB}},
        // Its own key again: nothing changes.
        {EBoundKey::SORT, 0x2E, true, defaults.codes},
        // Esc, F1, J (it always walks left) and an unknown code are never bound.
        {EBoundKey::ATTACK, 0x01, false, defaults.codes},
        {EBoundKey::ATTACK, 0x3B, false, defaults.codes},
        {EBoundKey::ATTACK, 0x24, false, defaults.codes},
        {EBoundKey::ATTACK, 0x7FFF, false, defaults.codes},
    };
    for (const auto& c : cases) {
        SKeyBindings bindings;
        EXPECT_EQ(fBindKey(bindings, c.key, c.code), c.bound) << c.code;
        EXPECT_EQ(bindings.codes, c.expected) << c.code;
    }
}

// Prompts name the key the player presses, in either language's spelling of it.
TEST(KeyBindings, APromptNamesTheBoundKeyAndLeavesWordsAlone) {
    SKeyBindings rebound;
    ASSERT_TRUE(fBindKey(rebound, EBoundKey::ATTACK, 0x2D)); // X: swap takes Z
    ASSERT_TRUE(fBindKey(rebound, EBoundKey::PAUSE, 0x39));
    const struct {
        const char* text;
        EBoundKey key;
        const char* named;
    } cases[] = {
        {"Ｚキーを押す", EBoundKey::ATTACK, "Xキーを押す"},
        {"Hold Z down (Z!)", EBoundKey::ATTACK, "Hold X down (X!)"},
        {"Zebra, Zone 9Z and ZZ stay", EBoundKey::ATTACK, "Zebra, Zone 9Z and ZZ stay"},
        {"Press X to swap", EBoundKey::SWAP, "Press Z to swap"},
        {"Pキー / スタートボタンで再開", EBoundKey::PAUSE, "Spaceキー / スタートボタンで再開"},
        {"Ｐ", EBoundKey::PAUSE, "Space"},
        {"Press C", EBoundKey::SORT, "Press C"}, // still the game's own key
    };
    fSetKeyBindings(rebound);
    for (const auto& c : cases) {
        EXPECT_EQ(fNameBoundKey(c.text, c.key), c.named) << c.text;
    }
    fSetKeyBindings(SKeyBindings{});
    EXPECT_EQ(fNameBoundKey("Ｚキーを押す", EBoundKey::ATTACK), "Ｚキーを押す");
}

TEST(KeyBindings, TheFileIsReadBackAndAHostileOneIsSetAside) {
    CScratchFolder folder;
    const std::string path = (folder.path() / "keys.dat").string();
    EXPECT_FALSE(fLoadKeyBindings(path).has_value()); // no file yet
    SKeyBindings chosen;
    fBindKey(chosen, EBoundKey::ATTACK, 0x1E);
    fSaveKeyBindings(path, chosen);
    EXPECT_EQ(fLoadKeyBindings(path), chosen);
    // One key twice, a code that cannot be bound (Esc), cut short: each is set aside.
    const auto record = [](std::array<int, kBoundKeyCount> codes) {
        std::string bytes;
        for (const int code : codes) {
            for (int shift = 0; shift < 32; shift += 8) {
                bytes += static_cast<char>((code >> shift) & 0xFF);
            }
        }
        return bytes;
    };
    const std::string good = record(chosen.codes);
    for (const std::string& bytes :
         {record({0xCB, 0xC8, 0xCD, 0xD0, 0x2C, 0x2C, 0x2E, 0x19}),
          record({0xCB, 0xC8, 0xCD, 0xD0, 0x01, 0x2D, 0x2E, 0x19}), good.substr(0, good.size() - 2)}) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        EXPECT_FALSE(fLoadKeyBindings(path).has_value());
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << good;
    EXPECT_EQ(fLoadKeyBindings(path), chosen); // the record is only these numbers
}

} // namespace
