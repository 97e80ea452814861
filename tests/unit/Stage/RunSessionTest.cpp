// A run's session: what is left behind when a stage fails half-built, and the order in which a new high
// score and its replay are stored.
#include "GameMain/GameRecords.h"
#include "ScratchFolder.h"
#include "Stage/StageTestEnv.h"
#include "base/CArchiver.h"
#include "base/CException.h"
#include "input/CKeyManager.h"
#include "replay/CKeyPlayer.h"
#include "replay/ReplayFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {
class RunSessionTest : public StageGlobalsTest {
protected:
    void SetUp() override {
        StageGlobalsTest::SetUp();
        std::filesystem::create_directories(folder.path() / "dat" / "replay");
        cwd = std::make_unique<CWorkingDirectoryGuard>(folder.path());
    }
    void TearDown() override {
        cwd.reset();
        StageGlobalsTest::TearDown();
    }

    // A packed replay of `frames` empty frames under `seed`.
    static void fMakeReplay(int frames, int seed) {
        fWriteBytes(kReplayKeyPath, std::vector<unsigned char>(static_cast<size_t>(frames) * 112u, 0));
        fWriteSeedFile(kReplaySeedPath, seed);
        CArchiver::fCompress(kPackedReplayPath, {kReplayKeyPath, kReplaySeedPath}, true);
    }

    CScratchFolder folder;
    std::unique_ptr<CWorkingDirectoryGuard> cwd;
};
} // namespace

TEST_F(RunSessionTest, StageThatFailsAfterItsPlaybackStartedGivesTheKeyboardBack) {
    fMakeReplay(10, 77);
    // The scratch folder has no town map, so building the terrain throws after the playback started.
    EXPECT_THROW(CStage(kPackedReplayPath, true), CException);
    EXPECT_NE(dynamic_cast<CKeyManager*>(gKeyManager.get()), nullptr);
    EXPECT_EQ(dynamic_cast<CKeyPlayer*>(gKeyManager.get()), nullptr);
    EXPECT_EQ(gRandom->fGetSeed(), kSeed);
}

TEST_F(RunSessionTest, SessionDroppedMidRunAbandonsItWithoutStoring) {
    gKeyManager = std::make_unique<CKeyManager>();
    {
        CRunSession run("");
        run.fStart(5);
        EXPECT_EQ(gRandom->fGetSeed(), 5);
        gKeyManager->fUpdate();
    }
    EXPECT_EQ(gRandom->fGetSeed(), kSeed);
    EXPECT_FALSE(std::filesystem::exists(kPackedReplayPath));
    EXPECT_EQ(fLoadHighScore().score, 0);
}

TEST_F(RunSessionTest, FailedPackingLeavesTheOldScoreWithItsReplay) {
    gKeyManager = std::make_unique<CKeyManager>();
    CRunSession first("");
    first.fStart(1);
    gKeyManager->fUpdate();
    ASSERT_TRUE(first.fEnd(100, 0));
    const std::vector<unsigned char> replay = fReadBytes(kPackedReplayPath);

    // Something in the way of the new archive: packing fails before anything is replaced.
    std::filesystem::create_directories(std::string(kPackedReplayPath) + ".new/x");
    CRunSession second("");
    second.fStart(2);
    gKeyManager->fUpdate();
    gKeyManager->fUpdate();
    EXPECT_ANY_THROW(second.fEnd(500, 100));
    EXPECT_EQ(fLoadHighScore().score, 100);
    EXPECT_EQ(fReadBytes(kPackedReplayPath), replay);
}

TEST_F(RunSessionTest, ReplayThatCannotBeRenamedIntoPlaceLeavesTheOldScore) {
    gKeyManager = std::make_unique<CKeyManager>();
    CRunSession first("");
    first.fStart(1);
    gKeyManager->fUpdate();
    ASSERT_TRUE(first.fEnd(100, 0));

    // A folder where the replay goes: the packed archive cannot be renamed over it.
    std::filesystem::remove(kPackedReplayPath);
    std::filesystem::create_directories(std::string(kPackedReplayPath) + "/x");
    CRunSession second("");
    second.fStart(2);
    gKeyManager->fUpdate();
    EXPECT_ANY_THROW(second.fEnd(500, 100));
    // The high score never names a replay that is not there.
    EXPECT_EQ(fLoadHighScore().score, 100);
    EXPECT_FALSE(std::filesystem::exists(std::string(kPackedReplayPath) + ".new"));
}
