// The player's music and effects volumes, 0 (silent) to 10 (the game's own levels), kept in "dat/volume.dat"
// in the player's folder beside the gamepad settings (a file of its own; the game's other records are
// untouched) and set in the option menu.
#pragma once

#include <optional>
#include <string>

struct SVolumeSettings {
    static constexpr int kMaxLevel = 10;
    int music = kMaxLevel;
    int effects = kMaxLevel;
};

inline constexpr const char* kVolumeSettingsFile = "dat/volume.dat";

// Nothing when there is no file; a damaged one is set aside (logged) and nothing is returned.
std::optional<SVolumeSettings> fLoadVolumeSettings(const std::string& path);
// Written to a temporary file and renamed over the old one. Throws CException when it cannot be written.
void fSaveVolumeSettings(const std::string& path, const SVolumeSettings& settings);
