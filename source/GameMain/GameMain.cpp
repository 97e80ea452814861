#include "GameMain/GameMain.h"
#include "GameMain/CLaunchReplay.h"
#include "GameMain/CPause.h"
#include "GameMain/CReplayTheater.h"
#include "GameMain/VolumeSettings.h"
#include "Stage/CStage.h"
#include "base/GameFolders.h"
#include "replay/ReplayFiles.h"

#include "GameMain/CFpsTimer.h"
#include "GameMain/CProfiler.h"
#include "GameMain/CSceneHolder.h"
#include "GameMain/CStartMenu.h"
#include "GameMain/CTipsManager.h"
#include "GameMain/GameRecords.h"
#include "Ziki/CZikiSprites.h"
#include "audio/CSoundManager.h"
#include "base/CException.h"
#include "base/CRandom.h"
#include "base/Log.h"
#include "input/CKeyManager.h"
#include "input/Enums.h"
#include "render/CImageManager.h"

#include <cstdio>
#include <dx/DxLib.h>
#include <filesystem>
#include <vector>

bool gConfigWindowed = true;
bool gConfigSound = true;
bool gConfigNoPreAlloc = true;
bool gQuitRequested = false;

void fInitialize() {
    gQuitRequested = false;
    fCreateFonts();
    gFpsTimer = std::make_unique<CFpsTimer>(true);
    gFpsTimer->fSetNoWait(gLaunchNoWait);
    gImageManager = std::make_unique<CImageManager>();
    fLoadZikiSprites();
    gSoundManager = std::make_unique<CSoundManager>(gConfigSound);
    if (const auto volumes = fLoadVolumeSettings(fUserPath(kVolumeSettingsFile))) {
        gSoundManager->fSetLevels(volumes->music, volumes->effects);
    }
    gRandom = std::make_unique<CRandom>();
    gScene = std::make_unique<CStartMenu>();
    gKeyManager = std::make_unique<CKeyManager>();
    gProfiler = std::make_unique<CProfiler>();
    gTipsManager = std::make_unique<CTipsManager>();
    fRemoveReplayPlaceholders();
    if (gLaunchReplay.fIsActive()) {
        gScene = std::make_unique<CLaunchReplayScene>();
    } else if (!gLaunchWatch.empty()) {
        gScene = std::make_unique<CWatchFileScene>(gLaunchWatch);
    }
}

namespace {
// One line per frame naming the game keys held, for tests that drive the game with scripted input.
void fTraceKeys(int frame) {
    static const char* const kNames[28] = {
        "LEFT",       "UP",     "RIGHT",  "DOWN",    "ARROW_LEFT", "ARROW_UP", "ARROW_RIGHT",
        "ARROW_DOWN", "KEY_Z",  "KEY_X",  "KEY_C",   "KEY_A",      "KEY_S",    "KEY_D",
        "KEY_SPACE",  "KEY_F1", "KEY_F2", "KEY_F3",  "KEY_F4",     "KEY_F5",   "KEY_F6",
        "KEY_F7",     "KEY_F8", "KEY_F9", "KEY_F10", "KEY_F11",    "KEY_F12",  "KEY_ESC"};
    std::string line = "frame " + std::to_string(frame) + " keys:";
    for (int k = 0; k < 28; ++k) {
        if (gKeyManager->fIsHold(static_cast<EGameKey>(k))) {
            line += " ";
            line += kNames[k];
        }
    }
    std::printf("%s\n", line.c_str());
}
// Whether this frame's scene is drawn. With --result-screenshot only the first frame of the result screen
// is: drawing never changes the run, so the frames before it need not be.
bool fDrawsThisFrame() {
    if (gLaunchNoRender) {
        return false;
    }
    if (gLaunchResultScreenshot.empty()) {
        return true;
    }
    const auto* stage = dynamic_cast<const CStage*>(gScene.get());
    return !gLaunchResultScreenshotSaved && stage != nullptr && stage->fGetSpecialState() != nullptr &&
           stage->fGetSpecialState()->fGetKind() == CStage::ESpecialState::RESULT;
}

void fSaveResultScreenshot() {
    if (dx_SaveDrawScreenToPNG(0, 0, 640, 480, gLaunchResultScreenshot.c_str()) != 0) {
        throw CException("cannot save the result screen to " + gLaunchResultScreenshot);
    }
    gLaunchResultScreenshotSaved = true;
}
} // namespace

void fGameLoop() {
    for (int frame = 0;; ++frame) {
        if (dx_ProcessMessage() != 0) {
            break;
        }
        const auto* stage = dynamic_cast<const CStage*>(gScene.get());
        if (gPause.fUpdate(stage != nullptr && stage->fIsInPlay())) {
            // A paused frame reads no keys and runs no step: the run and its recording stand still.
            if (!gLaunchNoRender) {
                dx_ClsDrawScreen();
                gScene->fDraw();
                gPause.fDraw();
            }
            dx_ScreenFlip();
            gFpsTimer->fWait();
            if (gQuitRequested) {
                break;
            }
            continue;
        }
        // The theater plays its replay at its own speed: it reads the recorded keys once per frame played.
        if (dynamic_cast<const CReplayTheater*>(gScene.get()) == nullptr) {
            gKeyManager->fUpdate();
        }
        if (gLaunchTraceKeys) {
            fTraceKeys(frame);
        }
        gScene->fInput();
        gScene.fReleaseRetired();
        gScene->fUpdate();
        gScene.fReleaseRetired();
        if (fDrawsThisFrame()) {
            dx_ClsDrawScreen();
            gScene->fDraw();
            if (!gLaunchResultScreenshot.empty()) {
                fSaveResultScreenshot();
            }
        }
        dx_ScreenFlip();
        gFpsTimer->fWait();
        if (gQuitRequested) {
            break;
        }
    }
}

bool fRunGame() {
    bool ok = true;
    try {
        dx_SetDrawScreen(-2);
        fInitialize();
        fGameLoop();
        // Every way of leaving (the window closed, Alt+F4, SIGTERM or SIGINT, the end of --frames, the
        // menu's quit) ends here the same way.
        if (gScene) {
            gScene->fQuit();
        }
    } catch (const std::exception& e) {
        // The game's own CExceptions and the standard library's (a filesystem error, bad_alloc) alike.
        const std::string message = std::string("exception:") + e.what();
        std::fprintf(stderr, "%s\n", message.c_str());
        fWriteLog(message, 0);
        ok = false;
    }
    fFinalize();
    return ok;
}

void fFinalize() {
    if (gProfiler) {
        std::printf("%s\n", gProfiler->fGetResult().c_str());
    }
    // Scenes hold media handles and may flush a recording: end them before the media layer goes. The tips'
    // window holds its frame pictures.
    gScene.fReset();
    gTipsManager.reset();
    // The loose replay of the most recent run, and the recording of a run abandoned by quitting, last only
    // until the program ends; the packed one stays.
    fRemoveLooseReplayFiles();
    fRemoveIfPresent(fUserPath(kReplayKeyTmpPath));
    std::fflush(stdout);
}
