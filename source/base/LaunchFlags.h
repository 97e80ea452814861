// How this start of the game was asked to run (the command line): tracing for tests, seeds, headless
// shortcuts. Read by every layer, set once by the entry point before the game starts.
#pragma once

#include <string>

// --no-wait: frames run as fast as the machine can, without waiting for the next sixtieth of a second.
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
// --watch FILE (or a file given alone): the packed replay watched in the window at start, before the title.
extern std::string gLaunchWatch;
