// Loading and saving the records the game keeps between runs: the gamepad settings and the high score.
// The names are relative to the player's folder (base/GameFolders.h).
#pragma once

#include "Stage/CHighScoreInfo.h"
#include "base/GameFolders.h"
#include "util/COptionInfo.h"

#include <cstddef>
#include <span>
#include <string>
#include <vector>

inline constexpr const char* kSettingPath = "dat/setting.dat";
inline constexpr const char* kHighScorePath = "dat/replay/score.dat";

// Registers COptionInfo under "C8GameMain11COptionInfo" unless that tag is already registered.
void fRegisterOptionInfo();
// Registers CHighScoreInfo under "C5Stage14CHighScoreInfo" unless that tag is already registered.
void fRegisterHighScoreInfo();

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

// The stored high score, or score 0 not sent when the file is missing or damaged (damage is logged and the
// file kept as ".bad").
CHighScoreInfo fLoadHighScore(const std::string& path = fUserPath(kHighScorePath));
// The high score held in `bytes`, as fReadSetting.
CHighScoreInfo fReadHighScore(std::span<const std::byte> bytes, const std::string& name);
// The bytes fSaveHighScore writes for `highScore`.
std::vector<std::byte> fHighScoreBytes(const CHighScoreInfo& highScore);
void fSaveHighScore(const CHighScoreInfo& highScore, const std::string& path = fUserPath(kHighScorePath));
