// Shared set-up for the media layer tests: a started media layer per test and a scratch folder.
#pragma once

#include "dx/DxLib.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>

namespace dxtest {

class MediaTest : public ::testing::Test {
protected:
    virtual DxBackend backend() const { return DxBackend::Offscreen; }

    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() / ("tavoni_dx_" + std::to_string(::getpid()) + "_" +
                                                         info->test_suite_name() + "_" + info->name());
        std::filesystem::create_directories(dir_);
        std::string error;
        dx_SetInputScript("", error);
        dx_SetFrameLimit(-1);
        dx_SetCallLog(false);
        dx_ClearCallLog();
        dx_TestClearKeyState();
        dx_SetBackend(backend());
        dx_SetTransColor(255, 0, 255);
        ASSERT_EQ(dx_DxLib_Init(), 0) << dx_GetLastError();
    }

    void TearDown() override {
        dx_DxLib_End();
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    // Paints a w x h picture with `paint` on the back screen, saves it as a PNG and clears the screen again.
    std::string makeImage(const std::string& name, int w, int h, const std::function<void()>& paint) {
        dx_ClsDrawScreen();
        paint();
        const std::string file = path(name);
        EXPECT_EQ(dx_SaveDrawScreenToPNG(0, 0, w, h, file.c_str()), 0) << dx_GetLastError();
        dx_ClsDrawScreen();
        return file;
    }

    std::filesystem::path dir_;
};

inline unsigned red(unsigned c) {
    return (c >> 16) & 255u;
}
inline unsigned green(unsigned c) {
    return (c >> 8) & 255u;
}
inline unsigned blue(unsigned c) {
    return c & 255u;
}

} // namespace dxtest
