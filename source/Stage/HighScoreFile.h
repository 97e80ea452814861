// Loading and saving the high score ("dat/replay/score.dat", relative to the player's folder). A run
// reads it when it starts and writes a new one when it ends.
#pragma once

#include "Stage/CHighScoreInfo.h"
#include "base/GameFolders.h"

#include <cstddef>
#include <span>
#include <string>
#include <vector>

inline constexpr const char* kHighScorePath = "dat/replay/score.dat";

// Registers CHighScoreInfo under "C5Stage14CHighScoreInfo" unless that tag is already registered.
void fRegisterHighScoreInfo();

// The stored high score, or score 0 not sent when the file is missing or damaged (damage is logged and the
// file kept as ".bad").
CHighScoreInfo fLoadHighScore(const std::string& path = fUserPath(kHighScorePath));
// The high score held in `bytes`, as a file would; damage is a CException.
CHighScoreInfo fReadHighScore(std::span<const std::byte> bytes, const std::string& name);
// The bytes fSaveHighScore writes for `highScore`.
std::vector<std::byte> fHighScoreBytes(const CHighScoreInfo& highScore);
void fSaveHighScore(const CHighScoreInfo& highScore, const std::string& path = fUserPath(kHighScorePath));
