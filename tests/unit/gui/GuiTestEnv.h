// Windows need the media layer, the game's fonts, its images and the keys: this fixture starts them (the
// null backend unless a test asks for pixels) with keys the test presses itself.
#pragma once

#include "GameMain/GameMain.h"
#include "Stage/StageTestEnv.h" // CScriptedKeys
#include "input/CKeyManagerBase.h"
#include "render/CImageManager.h"

#include <dx/DxLib.h>
#include <gtest/gtest.h>
#include <memory>

class GuiTest : public ::testing::Test {
protected:
    virtual DxBackend fBackend() const { return DxBackend::Null; }

    void SetUp() override {
        std::string error;
        dx_SetInputScript("", error);
        dx_SetBackend(fBackend());
        dx_SetTransColor(255, 0, 255);
        ASSERT_EQ(dx_DxLib_Init(), 0) << dx_GetLastError();
        fCreateFonts();
        gImageManager = std::make_unique<CImageManager>();
        auto keys = std::make_unique<CScriptedKeys>();
        mKeys = keys.get();
        gKeyManager = std::move(keys);
    }

    void TearDown() override {
        gKeyManager.reset();
        gImageManager.reset();
        gFont20 = gFont24Bold = gFont64 = gFont24 = gFont28 = -1;
        dx_SetCallLog(false);
        dx_DxLib_End();
    }

    // Holds `key` for one call of `step` (one frame's input), then lets it go.
    template <typename Step> void fTap(EGameKey key, Step&& step) {
        mKeys->fPress(key);
        step();
        mKeys->fRelease(key);
    }

    CScriptedKeys* mKeys = nullptr;
};
