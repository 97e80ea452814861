// The ten dishes as the entry pages show them: their names and their pictures from the game's data, built
// into the server (web nodes keep no game data) and made transparent where the game's are magenta.
#pragma once

#include <string>
#include <string_view>

class CDishPictures {
public:
    static constexpr int kCount = 10;

    // For a dish 0 to 9, in the game's order; empty and "?" for any other.
    static const std::string& fPng(int dish);
    static std::string_view fName(int dish);
};
