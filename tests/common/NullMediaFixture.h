// A fixture for code that draws or plays sounds: the media layer's null backend (no window, no audio),
// with the call log on so tests can see which media calls the code makes.
#pragma once

#include <algorithm>
#include <dx/DxLib.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

class NullMediaFixture : public ::testing::Test {
protected:
    void SetUp() override {
        dx_SetBackend(DxBackend::Null);
        ASSERT_EQ(dx_DxLib_Init(), 0);
        dx_SetCallLog(true);
        dx_ClearCallLog();
    }
    void TearDown() override {
        dx_SetCallLog(false);
        dx_DxLib_End();
    }
    static std::vector<std::string> calls() { return dx_GetCallLog(); }
    // How many logged calls begin with `prefix`.
    static int count(const std::string& prefix) {
        const auto& log = dx_GetCallLog();
        return static_cast<int>(std::count_if(log.begin(), log.end(),
                                              [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }));
    }
};
