// The globals the game creates at start-up (fonts, frame timer, images, sprites, sound, random generator,
// keys, profiler), without a scene: for the programs that drive a stage themselves (benchmarks, showcase).
#pragma once

#include "GameMain/CFpsTimer.h"
#include "GameMain/CProfiler.h"
#include "GameMain/GameMain.h"
#include "Ziki/CZikiSprites.h"
#include "audio/CSoundManager.h"
#include "base/CRandom.h"
#include "input/CKeyManager.h"
#include "render/CImageManager.h"

#include <memory>

inline void fCreateToolGlobals(bool sound, int seed) {
    fCreateFonts();
    gFpsTimer = std::make_unique<CFpsTimer>(true);
    gImageManager = std::make_unique<CImageManager>();
    fLoadZikiSprites();
    gSoundManager = std::make_unique<CSoundManager>(sound);
    gRandom = std::make_unique<CRandom>(seed);
    gKeyManager = std::make_unique<CKeyManager>();
    gProfiler = std::make_unique<CProfiler>();
}

inline void fReleaseToolGlobals() {
    gProfiler.reset();
    gKeyManager.reset();
    gRandom.reset();
    gSoundManager.reset();
    gImageManager.reset();
    gFpsTimer.reset();
    gFont20 = gFont24Bold = gFont64 = gFont24 = gFont28 = -1; // the media layer frees them at its end
}
