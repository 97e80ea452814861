// The keyboard keys the player has chosen for the four directions, attack, swap, sort and pause, kept in
// "dat/keys.dat" in the player's folder beside the gamepad settings (a file of its own). The defaults are the
// game's own keys (arrows, Z, X, C, P); Esc and F1 are never bound (they stay the game's), nor I J K L, which
// always walk too. Replays record the game keys, so they play the same whatever the binding.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

enum class EBoundKey { LEFT = 0, UP, RIGHT, DOWN, ATTACK, SWAP, SORT, PAUSE };
inline constexpr int kBoundKeyCount = 8;

struct SKeyBindings {
    // Media layer key codes, by EBoundKey.
    std::array<int, kBoundKeyCount> codes{0xCB, 0xC8, 0xCD, 0xD0, 0x2C, 0x2D, 0x2E, 0x19};

    int fCode(EBoundKey key) const { return codes[static_cast<std::size_t>(key)]; }
    bool operator==(const SKeyBindings&) const = default;
};

inline constexpr const char* kKeyBindingsFile = "dat/keys.dat";

// The key's name as the key configuration shows it ("Z", "Left", "Space"); null for a key that cannot be
// bound.
const char* fKeyName(int code);
// Every key that may be bound, in the order they are looked for when one is pressed.
const std::array<int, 48>& fBindableKeys();

// Puts `code` on `key`; a key already bound elsewhere moves to `key`'s old code, so no action is left without
// a key. A code that cannot be bound changes nothing (false).
bool fBindKey(SKeyBindings& bindings, EBoundKey key, int code);

// `text` with the game's own name of `key` ("Z", also written full width as in "Ｚキー") replaced by the
// name of the key bound to it, so a prompt names the key the player presses. Unchanged under the default
// binding; a letter inside a word ("Zebra") is left alone.
std::string fNameBoundKey(std::string_view text, EBoundKey key);

// The bindings in use; the defaults until set.
const SKeyBindings& fKeyBindings();
void fSetKeyBindings(const SKeyBindings& bindings);

// Nothing when there is no file; a damaged one, or one binding a key twice or a key that cannot be bound,
// is set aside (logged) and nothing is returned.
std::optional<SKeyBindings> fLoadKeyBindings(const std::string& path);
// Written to a temporary file and renamed over the old one. Throws CException when it cannot be written.
void fSaveKeyBindings(const std::string& path, const SKeyBindings& bindings);
