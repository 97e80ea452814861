// A fixture for tests of live input: default pad settings, no key down, and one frame's sampling at a time.
#pragma once

#include "GameMain/COptionInfo.h"
#include "input/CKeyManager.h"

#include <dx/DxLib.h>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

class CLiveKeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        gOptionInfo = std::make_unique<COptionInfo>();
        dx_TestSetKeyState({}, 0, false);
    }
    void TearDown() override {
        dx_TestClearKeyState();
        gOptionInfo.reset();
    }
    // Keys down for the next frame, then the frame's sampling.
    static void frame(CKeyManager& keys, const std::vector<int>& down, int pad = 0,
                      bool padAttached = false) {
        dx_TestSetKeyState(down, pad, padAttached);
        keys.fUpdate();
    }
};
