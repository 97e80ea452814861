// Start-up, the scene loop and shutdown of the game, and the globals they create.
#pragma once

#include "GameMain/GameConfig.h"

#include <string>

extern bool gConfigWindowed;
extern bool gConfigSound;
extern bool gConfigNoPreAlloc;
extern bool gQuitRequested;

// Launch options that are not part of config.dat (command line).
extern bool gLaunchNoWait;
// Print the held game keys of every frame (scripted-input tests).
extern bool gLaunchTraceKeys;
// Print the stage's progress (party, camera, time, states) for whole-game tests.
extern bool gLaunchTraceStage;
// --trace-menu: the menus print their notices, the high score and the ranking rows (for tests).
extern bool gLaunchTraceMenu;
// --no-render: no scene draws at all (the null media backend, for checking replays fast). Play must not
// depend on drawing, which the replay corpus checks by comparing digests with and without it.
extern bool gLaunchNoRender;
// --result-screenshot FILE: with --replay, only the result screen is drawn, once, and saved as a PNG; the
// frames before it are played undrawn (the ranking server's picture of an entry).
extern std::string gLaunchResultScreenshot;
// Whether that picture was saved.
extern bool gLaunchResultScreenshotSaved;
// --digest-every N: print "digest FRAME HEX" every N frames of play (0: never), to find the first frame
// where two builds part on one replay.
extern int gLaunchDigestEvery;
// The seed of every new run instead of the clock's milliseconds (-1: the clock), so that a scripted run is
// the same run every time.
extern int gLaunchSeed;

extern int gFont20;
extern int gFont24Bold;
extern int gFont64;
extern int gFont24;
extern int gFont28;

// The game's five fonts; no Japanese-capable font is a CException.
void fCreateFonts();
void fInitialize();
void fGameLoop();
// False when an exception ended the game (it is logged); the shutdown has run either way.
[[nodiscard]] bool fRunGame();
void fFinalize();
