// Loading and saving the gamepad settings (the high score is the stage's: Stage/HighScoreFile.h).
// The names are relative to the player's folder (base/GameFolders.h).
#pragma once

#include "GameMain/COptionInfo.h"
#include "Stage/HighScoreFile.h"
#include "base/GameFolders.h"

#include <cstddef>
#include <span>
#include <string>
#include <vector>

inline constexpr const char* kSettingPath = "dat/setting.dat";

// Registers COptionInfo under "C8GameMain11COptionInfo" unless that tag is already registered.
void fRegisterOptionInfo();

// Registers COptionInfo, then fills gOptionInfo from the settings file, or with the defaults when the file
// is missing or damaged (damage is logged and the file kept as ".bad").
void fLoadSetting(const std::string& path = fUserPath(kSettingPath));
// The settings held in `bytes` (a file's contents; `name` stands for the file in messages). Damage is a
// CException. Registers COptionInfo.
COptionInfo fReadSetting(std::span<const std::byte> bytes, const std::string& name);
// The bytes fSaveSetting writes for `setting`.
std::vector<std::byte> fSettingBytes(const COptionInfo& setting);
// Saves gOptionInfo (which must exist).
void fSaveSetting(const std::string& path = fUserPath(kSettingPath));
