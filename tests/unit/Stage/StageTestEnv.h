// Everything a stage needs to be built in a unit test: the null media backend, the game's globals (images,
// sounds off, a seeded random generator, scripted keys, profiler, frame timer) and the party's sprites.
// Tests run with the repository root as the working directory, where dat/ and collision.png live.
#pragma once

#include "GameMain/CFpsTimer.h"
#include "GameMain/COptionInfo.h"
#include "GameMain/CProfiler.h"
#include "Stage/CGeographicalFeatures.h"
#include "Stage/CStage.h"
#include "Ziki/CZiki.h"
#include "Ziki/CZikiSprites.h"
#include "audio/CSoundManager.h"
#include "base/CRandom.h"
#include "input/CKeyManagerBase.h"
#include "render/CImageManager.h"

#include <dx/DxLib.h>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <vector>

// Keys held by the test; a push is reported once per press, like the real manager's latch.
class CScriptedKeys : public CKeyManagerBase {
public:
    void fPress(EGameKey key) {
        mHeld.insert(key);
        mReported.erase(key);
    }
    void fRelease(EGameKey key) {
        mHeld.erase(key);
        mReported.erase(key);
    }

    void fUpdate() override {}
    bool fIsDown(EGameKey key) override { return fIsHold(key); }
    bool fIsKeyboardPushed(EGameKey key) override { return fIsPush(key, true); }
    bool fIsHold(EGameKey key) override { return mHeld.count(key) != 0; }
    bool fIsPush(EGameKey key, bool trigger) override {
        if (!trigger) {
            return fIsHold(key);
        }
        if (!fIsHold(key) || mReported.count(key) != 0) {
            return false;
        }
        mReported.insert(key);
        return true;
    }
    int fGetPressedJoypadButton() override { return -1; }
    void fSetupPadButtonFromSetting() override {}

private:
    std::set<EGameKey> mHeld;
    std::set<EGameKey> mReported;
};

// The media layer and the globals, without a stage.
class StageGlobalsTest : public ::testing::Test {
protected:
    static constexpr int kSeed = 12345;

    void SetUp() override {
        dx_SetBackend(DxBackend::Null);
        ASSERT_EQ(dx_DxLib_Init(), 0);
        if (!gOptionInfo) {
            gOptionInfo = std::make_unique<COptionInfo>();
            mOwnsOptionInfo = true;
        }
        gImageManager = std::make_unique<CImageManager>();
        fLoadZikiSprites();
        gSoundManager = std::make_unique<CSoundManager>(false);
        gRandom = std::make_unique<CRandom>(kSeed);
        auto keys = std::make_unique<CScriptedKeys>();
        mKeys = keys.get();
        gKeyManager = std::move(keys);
        gProfiler = std::make_unique<CProfiler>();
        gFpsTimer = std::make_unique<CFpsTimer>(true);
        gFpsTimer->fSetNoWait(true);
    }

    void TearDown() override {
        mKeys = nullptr;
        gFpsTimer.reset();
        gProfiler.reset();
        gKeyManager.reset();
        gRandom.reset();
        gSoundManager.reset();
        gImageManager.reset();
        if (mOwnsOptionInfo) {
            gOptionInfo.reset();
        }
        dx_DxLib_End();
    }

    CScriptedKeys* mKeys = nullptr;

private:
    bool mOwnsOptionInfo = false;
};

// A stage for a new run that records nothing, with its party.
class StageTest : public StageGlobalsTest {
protected:
    void SetUp() override {
        StageGlobalsTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        mStage = std::make_unique<CStage>("", false);
        ASSERT_NE(mStage->fGetParty(), nullptr);
    }

    void TearDown() override {
        mStage.reset();
        StageGlobalsTest::TearDown();
    }

    CStage& stage() { return *mStage; }
    CZiki& party() { return *mStage->fGetParty(); }
    CGeographicalFeatures& terrain() { return mStage->fGetTerrain(); }

    // One frame as the scene loop runs it: input, then update.
    void fFrame() {
        mStage->fInput();
        mStage->fUpdate();
    }

    // Would the party's terrain rectangle overlap the town with the party standing at this map position?
    bool fPartyBlockedAt(SPointD world) const {
        return mStage->fGetTerrain().fIsBlocked(world, {SRectD(world.x, world.y + 8.0, 8.0, 8.0)});
    }

    // Puts the party at a screen position, with the camera placed so that it stands at `world` on the map.
    void fPlaceParty(SPointD world, SPointD screen = {320.0, 240.0}) {
        terrain().fSetCamera({320.0 - screen.x + world.x, 240.0 - screen.y + world.y});
        party().mPosition = screen;
    }

    std::unique_ptr<CStage> mStage;
};
