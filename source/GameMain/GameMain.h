// Start-up, the scene loop and shutdown of the game, and the globals they create.
#pragma once

#include "GameMain/GameConfig.h"
#include "base/LaunchFlags.h"
#include "render/GameFonts.h"

#include <string>

extern bool gConfigWindowed;
extern bool gConfigSound;
extern bool gConfigNoPreAlloc;
extern bool gQuitRequested;

void fInitialize();
void fGameLoop();
// False when an exception ended the game (it is logged); the shutdown has run either way.
[[nodiscard]] bool fRunGame();
void fFinalize();
