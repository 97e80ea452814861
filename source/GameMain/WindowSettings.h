// The window as the player left it: its size and whether it was full screen, kept in "dat/window.dat" in the
// player's folder (a file of its own; the game's other records are untouched) and used at the next start.
#pragma once

#include <optional>
#include <string>

struct SWindowSettings {
    int width = 0;
    int height = 0;
    bool fullScreen = false;

    // Sizes outside this range are not a window anyone left behind.
    static constexpr int kMinSide = 160;
    static constexpr int kMaxSide = 16384;
};

inline constexpr const char* kWindowSettingsFile = "dat/window.dat";

// Nothing when there is no file; a damaged one is set aside (logged) and nothing is returned.
std::optional<SWindowSettings> fLoadWindowSettings(const std::string& path);
// Written to a temporary file and renamed over the old one. Throws CException when it cannot be written.
void fSaveWindowSettings(const std::string& path, const SWindowSettings& settings);
