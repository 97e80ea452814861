// The frame of the programs that render documentation pictures: one argument (the output folder), the
// settings, the offscreen media layer with the game's globals, and the pictures' function, whose failure or
// exception makes a non-zero exit.
#pragma once

#include "GameMain/COptionInfo.h"
#include "GameMain/GameRecords.h"
#include "ToolGlobals.h"
#include "base/GameFolders.h"
#include "base/Translation.h"

#include <cstdio>
#include <dx/DxLib.h>
#include <exception>
#include <filesystem>
#include <functional>
#include <string>

inline int fShowcaseMain(const char* program, int argc, char** argv,
                         const std::function<bool(const std::string& folder)>& pictures) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER (run from the game folder)\n", program);
        return 2;
    }
    const std::string folder = std::filesystem::absolute(argv[1]).string();
    fLoadSetting();
    dx_SetBackend(DxBackend::Offscreen);
    if (dx_DxLib_Init() != 0) {
        std::fprintf(stderr, "%s: the media layer could not start: %s\n", program, dx_GetLastError().c_str());
        return 1;
    }
    dx_SetTransColor(255, 0, 255);
    dx_SetDrawMode(1);
    // The pictures speak the locale's language, as the game would.
    fSetLocaleFolder(fFindLocaleFolder(fExecutablePath(argv[0])));
    fSetLanguage(fLanguageOfLocale(fReadLocaleVariables()));
    bool ok = false;
    try {
        fCreateToolGlobals(false, 2024);
        ok = pictures(folder);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", program, e.what());
    }
    fReleaseToolGlobals();
    dx_DxLib_End();
    gOptionInfo.reset();
    return ok ? 0 : 1;
}
