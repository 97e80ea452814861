#include "GameMain/GameMain.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {
SConfig parse(const std::string& text) {
    std::istringstream in(text);
    return fParseConfig(in, "config.dat");
}
} // namespace

TEST(Config, MissingFileMeansAllTrue) {
    const auto old = std::filesystem::current_path();
    const auto dir = std::filesystem::temp_directory_path() / ("tavoni_cfg_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
    const SConfig c = fLoadConfig();
    std::filesystem::current_path(old);
    std::filesystem::remove_all(dir);
    EXPECT_TRUE(c.windowed);
    EXPECT_TRUE(c.sound);
    EXPECT_TRUE(c.noPreAlloc);
}

TEST(Config, AFileFarLongerThanThreeLinesIsRefusedUnread) {
    const auto old = std::filesystem::current_path();
    const auto dir =
        std::filesystem::temp_directory_path() / ("tavoni_cfg_long_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
    // Three good lines, then more than a config.dat can be.
    std::string text = "window=0\nsound=0\nnoprealloc=0\n";
    text.resize(kMaxConfigFileSize + 1, 'x');
    std::ofstream(dir / "config.dat", std::ios::binary) << text;
    std::string message;
    try {
        fLoadConfig();
    } catch (const SConfigError& e) {
        message = e.message;
    }
    std::filesystem::current_path(old);
    std::filesystem::remove_all(dir);
    EXPECT_NE(message.find(std::to_string(kMaxConfigFileSize + 1) + " bytes"), std::string::npos) << message;
}

TEST(Config, ValuesMustBeExactlyOne) {
    const SConfig c = parse("window=0\nsound=1\nnoalloc=1\n");
    EXPECT_FALSE(c.windowed);
    EXPECT_TRUE(c.sound);
    EXPECT_TRUE(c.noPreAlloc);
    const SConfig d = parse("window= 1\nsound=true\nnoalloc=01\n");
    EXPECT_FALSE(d.windowed);
    EXPECT_FALSE(d.sound);
    EXPECT_FALSE(d.noPreAlloc);
}

TEST(Config, NameIsIgnoredAndFieldEndsAtTheNextEquals) {
    const SConfig c = parse("=1\nanything=1=0\na=1 \n");
    EXPECT_TRUE(c.windowed);    // empty name
    EXPECT_TRUE(c.sound);       // "1" between the first and second "="
    EXPECT_FALSE(c.noPreAlloc); // trailing blank
}

TEST(Config, WindowsLineEndsAreLineEndsNotPartOfTheValue) {
    const SConfig c = parse("window=1\r\nsound=0\r\nnoalloc=1\r\n");
    EXPECT_TRUE(c.windowed);
    EXPECT_FALSE(c.sound);
    EXPECT_TRUE(c.noPreAlloc);
}

TEST(Config, OnlyTheFirstThreeLinesMatter) {
    const SConfig c = parse("a=1\nb=1\nc=0\nthis line is ignored\n");
    EXPECT_FALSE(c.noPreAlloc);
}

TEST(Config, TooFewLinesOrMissingEqualsNameTheLine) {
    try {
        parse("window=1\nsound=1\n");
        FAIL();
    } catch (const SConfigError& e) {
        EXPECT_NE(e.message.find("config.dat"), std::string::npos);
        EXPECT_NE(e.message.find("line 3"), std::string::npos);
    }
    try {
        parse("window=1\nsound 1\nc=1\n");
        FAIL();
    } catch (const SConfigError& e) {
        EXPECT_NE(e.message.find("line 2"), std::string::npos);
    }
    EXPECT_THROW(parse(""), SConfigError);
}
