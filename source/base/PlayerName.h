// What a name in the online ranking may hold, shared by the game (its pad's character grid) and the ranking
// server (which refuses anything else): at most 12 printable single-byte characters, none of them "?" (the
// protocol's separator).
#pragma once

#include <cstddef>

inline constexpr std::size_t kMaxPlayerNameBytes = 12;

constexpr bool fIsPlayerNameChar(char c) {
    return c >= 0x20 && c <= 0x7e && c != '?';
}
