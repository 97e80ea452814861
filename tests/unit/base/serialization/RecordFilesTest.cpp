#include "GameMain/COptionInfo.h"
#include "GameMain/CTipsFile.h"
#include "GameMain/GameRecords.h"
#include "ScratchFolder.h"
#include "base/CException.h"
#include "base/serialization/RecordFile.h"
#include "replay/ReplayFiles.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

std::vector<unsigned char> optionBytes(const std::vector<std::uint32_t>& buttons) {
    std::vector<unsigned char> bytes = {0};
    fAppendLe32(bytes, 23);
    for (char c : std::string("C8GameMain11COptionInfo")) {
        bytes.push_back(static_cast<unsigned char>(c));
    }
    fAppendLe32(bytes, static_cast<std::uint32_t>(buttons.size()));
    for (std::uint32_t b : buttons) {
        fAppendLe32(bytes, b);
    }
    return bytes;
}

const std::vector<std::uint32_t> kDefaultButtons = {0x2,  0x8,  0x4,  0x1,  0x2,   0x8,   0x4,  0x1,
                                                    0x10, 0x20, 0x40, 0x80, 0x100, 0x200, 0x800};

class RecordFilesTest : public ::testing::Test {
protected:
    void SetUp() override { fRegisterHighScoreInfo(); }
    void TearDown() override { gOptionInfo.reset(); }
    bool exists(const std::string& name) const { return std::filesystem::exists(folder.file(name)); }
    CScratchFolder folder;
};

} // namespace

// ---- high score ----------------------------------------------------------------------------------------

TEST_F(RecordFilesTest, MissingHighScoreIsZeroNotSent) {
    EXPECT_EQ(fLoadHighScore(folder.file("score.dat")), CHighScoreInfo(0, false));
    EXPECT_FALSE(exists("score.dat.bad"));
}

TEST_F(RecordFilesTest, HighScoreSavesThe33ByteRecordAndLoadsIt) {
    const std::string path = folder.file("score.dat");
    fWriteBytes(path, std::vector<unsigned char>(100, 0xEE)); // an older, longer file leaves no tail
    fSaveHighScore(CHighScoreInfo(1234, true), path);
    const std::vector<unsigned char> bytes = fReadBytes(path);
    ASSERT_EQ(bytes.size(), 33u);
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin() + 28, bytes.end()),
              (std::vector<unsigned char>{0xD2, 0x04, 0x00, 0x00, 0x01}));
    EXPECT_FALSE(exists("score.dat.new"));
    EXPECT_EQ(fLoadHighScore(path), CHighScoreInfo(1234, true));
}

TEST_F(RecordFilesTest, DamagedHighScoreFallsBackAndIsKeptAside) {
    const std::string path = folder.file("score.dat");
    fSaveHighScore(CHighScoreInfo(999, false), path);
    std::vector<unsigned char> bytes = fReadBytes(path);
    const std::vector<std::vector<unsigned char>> damaged = {
        std::vector<unsigned char>(bytes.begin(), bytes.begin() + 30), // cut inside the score
        std::vector<unsigned char>(bytes.begin(), bytes.begin() + 10), // cut inside the tag
        {},                                                            // empty
        {2, 0, 0, 0, 0},                                               // bad signal
        {0, 0xFF, 0xFF, 0xFF, 0xFF},                                   // absurd tag length
    };
    for (const auto& variant : damaged) {
        fWriteBytes(path, variant);
        EXPECT_EQ(fLoadHighScore(path), CHighScoreInfo(0, false));
        EXPECT_FALSE(exists("score.dat"));
        EXPECT_EQ(fReadBytes(path + ".bad"), variant);
    }
    std::vector<unsigned char> trailing = bytes;
    trailing.push_back(0);
    fWriteBytes(path, trailing);
    EXPECT_EQ(fLoadHighScore(path), CHighScoreInfo(0, false));
    EXPECT_EQ(fReadBytes(path + ".bad"), trailing);

    // Far longer than any record: refused by its size, not read into memory.
    std::vector<unsigned char> huge = bytes;
    huge.resize(serialization::kMaxRecordFileSize + 1);
    fWriteBytes(path, huge);
    testing::internal::CaptureStderr();
    EXPECT_EQ(fLoadHighScore(path), CHighScoreInfo(0, false));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("far more than any record"), std::string::npos);
    EXPECT_TRUE(exists("score.dat.bad"));
}

TEST_F(RecordFilesTest, UnreadableSavesAreLeftInPlaceAndTheDefaultIsUsed) {
    struct Case {
        const char* name;
        std::function<void(const std::string&)> load;
    };
    const Case cases[] = {
        {"score.dat",
         [](const std::string& path) { EXPECT_EQ(fLoadHighScore(path), CHighScoreInfo(0, false)); }},
        {"setting.dat",
         [](const std::string& path) {
             fLoadSetting(path);
             ASSERT_NE(gOptionInfo, nullptr);
             EXPECT_EQ(static_cast<std::uint32_t>(gOptionInfo->buttons[8]), kDefaultButtons[8]);
         }},
        {"tips.dat",
         [](const std::string& path) { EXPECT_EQ(fLoadTipsFlags(path, 10), std::vector<bool>(10, false)); }},
    };
    for (const Case& c : cases) {
        // A folder where the save should be opens but cannot be read, even for root.
        const std::string path = folder.file(c.name);
        std::filesystem::create_directory(path);
        testing::internal::CaptureStderr();
        c.load(path);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(std::filesystem::is_directory(path)) << c.name;
        EXPECT_FALSE(exists(std::string(c.name) + ".bad")) << c.name;
        EXPECT_NE(log.find(path), std::string::npos) << log;
        EXPECT_NE(log.find("left as it is"), std::string::npos) << log;
        std::filesystem::remove(path);

        // Behind a link to itself, the path cannot even be looked at: that is logged too.
        std::filesystem::create_directory_symlink("loop", folder.path() / "loop");
        const std::string behindLoop = (folder.path() / "loop" / c.name).string();
        testing::internal::CaptureStderr();
        c.load(behindLoop);
        const std::string loopLog = testing::internal::GetCapturedStderr();
        EXPECT_NE(loopLog.find(behindLoop), std::string::npos) << loopLog;
        std::filesystem::remove(folder.path() / "loop");

        // Without permission to read (root reads anyway, so only for other users).
        if (::geteuid() != 0) {
            fWriteBytes(path, {1, 2, 3});
            std::filesystem::permissions(path, std::filesystem::perms::none);
            testing::internal::CaptureStderr();
            c.load(path);
            testing::internal::GetCapturedStderr();
            EXPECT_TRUE(exists(c.name)) << c.name;
            EXPECT_FALSE(exists(std::string(c.name) + ".bad")) << c.name;
            std::filesystem::remove(path);
        }
    }
}

// ---- settings ------------------------------------------------------------------------------------------

TEST_F(RecordFilesTest, MissingSettingGivesDefaults) {
    fLoadSetting(folder.file("setting.dat"));
    ASSERT_NE(gOptionInfo, nullptr);
    EXPECT_EQ(gOptionInfo->buttons.size(), 15u);
    for (std::size_t i = 0; i < kDefaultButtons.size(); ++i) {
        EXPECT_EQ(static_cast<std::uint32_t>(gOptionInfo->buttons[i]), kDefaultButtons[i]) << i;
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(gOptionInfo->fGetButtonName(i), "Button?");
    }
    EXPECT_EQ(gOptionInfo->fGetButtonName(8), "Button1");
    EXPECT_EQ(gOptionInfo->fGetButtonName(9), "Button2");
    EXPECT_EQ(gOptionInfo->fGetButtonName(14), "Button8");
}

TEST_F(RecordFilesTest, ButtonNames) {
    COptionInfo options;
    options.buttons[0] = 0x80000;
    options.buttons[1] = 0x30; // two buttons at once
    options.buttons[2] = static_cast<std::int32_t>(0x80000000u);
    options.buttons[3] = 0;
    EXPECT_EQ(options.fGetButtonName(0), "Button16");
    EXPECT_EQ(options.fGetButtonName(1), "Button?");
    EXPECT_EQ(options.fGetButtonName(2), "Button?");
    EXPECT_EQ(options.fGetButtonName(3), "Button?");
}

TEST_F(RecordFilesTest, SettingWithButton4SavesThe92ByteRecord) {
    const std::string path = folder.file("setting.dat");
    fLoadSetting(path);
    gOptionInfo->buttons[8] = 0x80;
    EXPECT_EQ(gOptionInfo->fGetButtonName(8), "Button4");
    fSaveSetting(path);
    std::vector<std::uint32_t> expected = kDefaultButtons;
    expected[8] = 0x80;
    const std::vector<unsigned char> bytes = fReadBytes(path);
    EXPECT_EQ(bytes.size(), 92u);
    EXPECT_EQ(bytes, optionBytes(expected));

    gOptionInfo.reset();
    fLoadSetting(path);
    ASSERT_NE(gOptionInfo, nullptr);
    EXPECT_EQ(gOptionInfo->buttons[8], 0x80);
    EXPECT_EQ(gOptionInfo->fGetButtonName(8), "Button4");
}

TEST_F(RecordFilesTest, DamagedSettingFallsBackToDefaults) {
    const std::string path = folder.file("setting.dat");
    const std::vector<unsigned char> shortList = optionBytes({0x10, 0x20, 0x40});
    fWriteBytes(path, shortList);
    fLoadSetting(path);
    ASSERT_NE(gOptionInfo, nullptr);
    EXPECT_EQ(gOptionInfo->buttons.size(), 15u);
    EXPECT_EQ(gOptionInfo->buttons[8], 0x10);
    EXPECT_EQ(fReadBytes(path + ".bad"), shortList);

    std::vector<unsigned char> cut = optionBytes(kDefaultButtons);
    cut.resize(60);
    fWriteBytes(path, cut);
    fLoadSetting(path);
    EXPECT_EQ(gOptionInfo->buttons.size(), 15u);
    EXPECT_EQ(fReadBytes(path + ".bad"), cut);
}

// ---- tips ----------------------------------------------------------------------------------------------

TEST_F(RecordFilesTest, ZeroLengthTipsFileIsAnEmptyList) {
    const std::string path = folder.file("tips.dat");
    fWriteBytes(path, {});
    EXPECT_TRUE(fReadTipsFile(path).empty());
    EXPECT_EQ(fLoadTipsFlags(path, 10), std::vector<bool>(10, false));
    EXPECT_FALSE(exists("tips.dat.bad"));
}

TEST_F(RecordFilesTest, TipsFileLayoutAndRoundTrip) {
    const std::string path = folder.file("tips.dat");
    std::vector<bool> flags(10, false);
    flags[0] = true;
    flags[3] = true;
    fWriteTipsFile(path, flags);
    std::vector<unsigned char> expected;
    fAppendLe32(expected, 10);
    for (bool f : flags) {
        expected.push_back(f ? 1 : 0);
    }
    EXPECT_EQ(fReadBytes(path), expected);
    EXPECT_EQ(fReadTipsFile(path), flags);
    EXPECT_EQ(fLoadTipsFlags(path, 10), flags);
}

TEST_F(RecordFilesTest, TipsCountOtherThanTenIsTolerated) {
    const std::string path = folder.file("tips.dat");
    fWriteTipsFile(path, {true, true, true});
    std::vector<bool> expected(10, false);
    expected[0] = expected[1] = expected[2] = true;
    EXPECT_EQ(fLoadTipsFlags(path, 10), expected);
    fWriteTipsFile(path, std::vector<bool>(12, true));
    EXPECT_EQ(fLoadTipsFlags(path, 10), std::vector<bool>(10, true));
    EXPECT_EQ(fLoadTipsFlags(folder.file("none.dat"), 10), std::vector<bool>(10, false));
}

TEST_F(RecordFilesTest, DamagedTipsFileLocksEverything) {
    const std::string path = folder.file("tips.dat");
    std::vector<unsigned char> bytes;
    fAppendLe32(bytes, 0x40000000u);
    bytes.push_back(1);
    fWriteBytes(path, bytes);
    EXPECT_THROW(fReadTipsFile(path), CException);
    EXPECT_EQ(fLoadTipsFlags(path, 10), std::vector<bool>(10, false));
    EXPECT_EQ(fReadBytes(path + ".bad"), bytes);

    // A whole list, but of a size no tips file has: not read at all.
    std::vector<unsigned char> huge(4 + 70000, 1);
    const std::vector<unsigned char> count = {0x70, 0x11, 0x01, 0x00}; // 70000, little-endian
    std::copy(count.begin(), count.end(), huge.begin());
    fWriteBytes(path, huge);
    testing::internal::CaptureStderr();
    EXPECT_EQ(fLoadTipsFlags(path, 10), std::vector<bool>(10, false));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("70004 bytes"), std::string::npos);
    EXPECT_FALSE(exists("tips.dat"));
}

// ---- seed ----------------------------------------------------------------------------------------------

TEST_F(RecordFilesTest, SeedFileIsOneLittleEndianInt) {
    const std::string path = folder.file("replay.dat");
    fWriteSeedFile(path, 0x00000321);
    EXPECT_EQ(fReadBytes(path), (std::vector<unsigned char>{0x21, 0x03, 0, 0}));
    EXPECT_EQ(fReadSeedFile(path), 0x321);
    fWriteSeedFile(path, -5);
    EXPECT_EQ(fReadSeedFile(path), -5);
}

TEST_F(RecordFilesTest, DamagedSeedFileIsAClearError) {
    const std::string path = folder.file("replay.dat");
    for (const auto& variant : std::vector<std::vector<unsigned char>>{{}, {1, 2}, {1, 2, 3, 4, 5}}) {
        fWriteBytes(path, variant);
        try {
            fReadSeedFile(path);
            ADD_FAILURE() << "a seed file of " << variant.size() << " bytes was accepted";
        } catch (const CException& failure) {
            EXPECT_NE(std::string(failure.what()).find("Damaged file"), std::string::npos) << failure.what();
        }
    }
    EXPECT_THROW(fReadSeedFile(folder.file("missing.dat")), CException);
}

TEST(RunSeedTest, SeedIsTheMillisecondPart) {
    // 12:00:00.250 and 12:00:07.250 of the same day get the same seed.
    const std::int64_t noon = 1700000000000LL - 1700000000000LL % 86400000LL + 43200000LL;
    EXPECT_EQ(fRunSeedFromTime(noon + 250), 250);
    EXPECT_EQ(fRunSeedFromTime(noon + 7250), 250);
    EXPECT_EQ(fRunSeedFromTime(noon + 999), 999);
    EXPECT_EQ(fRunSeedFromTime(noon + 1000), 0);
    const std::int32_t seed = fMakeRunSeed();
    EXPECT_GE(seed, 0);
    EXPECT_LE(seed, 999);
}
