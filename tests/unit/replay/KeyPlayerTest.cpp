#include "GameMain/COptionInfo.h"
#include "GameMain/GameRecords.h"
#include "ScratchFolder.h"
#include "Stage/CRunSession.h"
#include "base/CArchiver.h"
#include "base/CException.h"
#include "base/CRandom.h"
#include "replay/CKeyPlayer.h"
#include "replay/CKeyRecorder.h"
#include "replay/ReplayFiles.h"

#include <dx/DxLib.h>
#include <gtest/gtest.h>

using K = EGameKey;

namespace {

// A scripted session: the keyboard keys down in each frame.
const std::vector<std::vector<int>> kScript = {
    {},
    {KEY_INPUT_Z},
    {KEY_INPUT_Z, KEY_INPUT_J},
    {KEY_INPUT_J, KEY_INPUT_I},
    {},
    {KEY_INPUT_Z, KEY_INPUT_ESCAPE},
    {KEY_INPUT_X, KEY_INPUT_LEFT, KEY_INPUT_RIGHT},
    {KEY_INPUT_F1, KEY_INPUT_F12},
    {KEY_INPUT_Z},
    {},
};

// Everything a consumer can see of one frame, except the two keys that stay live in a playback.
struct SFrameView {
    std::vector<bool> hold;
    std::vector<bool> push;
    EDirectionTenkey direction;
    bool operator==(const SFrameView&) const = default;
};

SFrameView view(CKeyManagerBase& keys) {
    SFrameView v;
    for (int k = 0; k < kGameKeyCount; ++k) {
        const auto key = static_cast<K>(k);
        if (key == K::KEY_ESC || key == K::KEY_F1) {
            continue;
        }
        v.hold.push_back(keys.fIsHold(key));
        v.push.push_back(keys.fIsPush(key, true));
    }
    v.direction = keys.fGetDirection();
    return v;
}

class KeyPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        gOptionInfo = std::make_unique<COptionInfo>();
        dx_TestSetKeyState({}, 0, false);
        fRegisterHighScoreInfo();
    }
    void TearDown() override {
        dx_TestClearKeyState();
        gKeyManager.reset();
        gRandom.reset();
        gOptionInfo.reset();
    }

    // Plays the script through a recording manager; returns what the game saw.
    std::vector<SFrameView> record(const std::string& path) {
        CKeyManager keys;
        const auto recorder = std::make_shared<CKeyRecorder>();
        keys.fSetFrameListener(recorder);
        recorder->fSetupRecord(path, false, false, 0);
        recorder->fStartRecord();
        std::vector<SFrameView> seen;
        for (const auto& down : kScript) {
            dx_TestSetKeyState(down, 0, false);
            keys.fUpdate();
            seen.push_back(view(keys));
        }
        recorder->fEndRecord();
        return seen;
    }

    CScratchFolder folder;
};

} // namespace

TEST_F(KeyPlayerTest, RecordedFramesPlayBackIdentically) {
    const std::string path = folder.file("keys.dat");
    const std::vector<SFrameView> live = record(path);
    EXPECT_EQ(fReadBytes(path).size(), kScript.size() * 112);

    dx_TestSetKeyState({KEY_INPUT_Z, KEY_INPUT_K}, 0x10, true); // live keys must not leak into the playback
    CKeyPlayer player(path);
    EXPECT_EQ(player.fGetFrameCount(), kScript.size());
    player.fStartPlay();
    for (std::size_t f = 0; f < kScript.size(); ++f) {
        player.fUpdate();
        EXPECT_EQ(view(player), live[f]) << "frame " << f;
    }
    // After the last record every key is up.
    player.fUpdate();
    for (int k = 0; k < kGameKeyCount; ++k) {
        if (static_cast<K>(k) != K::KEY_ESC && static_cast<K>(k) != K::KEY_F1) {
            EXPECT_FALSE(player.fIsHold(static_cast<K>(k)));
        }
    }
    EXPECT_EQ(player.fGetDirection(), EDirectionTenkey::NEUTRAL);
}

TEST_F(KeyPlayerTest, NothingIsReadWhileNotPlaying) {
    const std::string path = folder.file("keys.dat");
    record(path);
    CKeyPlayer player(path);
    player.fUpdate(); // not playing: frame 0 is not consumed
    player.fStartPlay();
    player.fUpdate();
    player.fUpdate();
    EXPECT_TRUE(player.fIsHold(K::KEY_Z)); // frame 1
    player.fStopPlay();
    player.fUpdate();
    EXPECT_TRUE(player.fIsHold(K::KEY_Z));
    EXPECT_FALSE(player.fIsHold(K::LEFT));
    player.fStartPlay();
    player.fUpdate();
    EXPECT_TRUE(player.fIsHold(K::LEFT)); // frame 2
    player.fEndPlay();
    player.fUpdate();
    EXPECT_TRUE(player.fIsHold(K::LEFT));
}

TEST_F(KeyPlayerTest, EscAndF1ComeFromTheRealKeyboard) {
    const std::string path = folder.file("keys.dat");
    record(path); // frame 5 holds a recorded Esc, frame 7 a recorded F1
    CKeyPlayer player(path);
    player.fStartPlay();
    for (int f = 0; f < 6; ++f) {
        player.fUpdate();
    }
    EXPECT_FALSE(player.fIsDown(K::KEY_ESC)) << "the recorded Esc is not live";
    EXPECT_FALSE(player.fIsKeyboardPushed(K::KEY_ESC));
    EXPECT_TRUE(player.fIsHold(K::KEY_Z));

    dx_TestSetKeyState({KEY_INPUT_ESCAPE, KEY_INPUT_X}, 0, false);
    player.fUpdate(); // frame 6
    EXPECT_TRUE(player.fIsDown(K::KEY_ESC));
    EXPECT_TRUE(player.fIsDownLive(K::KEY_ESC));
    EXPECT_TRUE(player.fIsKeyboardPushed(K::KEY_ESC));
    EXPECT_FALSE(player.fIsKeyboardPushed(K::KEY_ESC)) << "one push per press";
    EXPECT_TRUE(player.fIsHoldLive(K::KEY_X));
    EXPECT_TRUE(player.fIsHoldSelect(K::KEY_X, true));
    EXPECT_TRUE(player.fIsHoldSelect(K::KEY_X, false)); // recorded X in frame 6
    EXPECT_FALSE(player.fIsHoldSelect(K::KEY_Z, false));

    dx_TestSetKeyState({}, 0, false);
    player.fUpdate(); // frame 7: recorded F1 and F12, no live key
    EXPECT_FALSE(player.fIsDown(K::KEY_F1));
    EXPECT_FALSE(player.fIsKeyboardPushed(K::KEY_F1));
    EXPECT_TRUE(player.fIsHold(K::KEY_F12));
    dx_TestSetKeyState({KEY_INPUT_F1}, 0, false);
    player.fUpdate(); // frame 8
    EXPECT_TRUE(player.fIsKeyboardPushed(K::KEY_F1));
    EXPECT_FALSE(player.fIsKeyboardPushed(K::KEY_Z)) << "Z is the recorded one, already pushed";
    EXPECT_FALSE(player.fIsKeyboardPushed(K::KEY_ESC)); // seen up: its next press counts

    // With the live keys off (a replay played again out of sight), a held Esc is not seen.
    dx_TestSetKeyState({KEY_INPUT_ESCAPE}, 0, false);
    player.fUpdate(); // frame 9
    player.fSetLiveKeys(false);
    player.fUpdate(); // frame 10
    EXPECT_FALSE(player.fIsDown(K::KEY_ESC));
    EXPECT_FALSE(player.fIsKeyboardPushed(K::KEY_ESC));
    player.fSetLiveKeys(true);
    player.fUpdate(); // frame 11
    EXPECT_TRUE(player.fIsKeyboardPushed(K::KEY_ESC));
}

TEST_F(KeyPlayerTest, RecordFilesEndingInACutFrameAreRejected) {
    const std::string path = folder.file("keys.dat");
    for (const std::size_t size :
         {std::size_t{11}, std::size_t{111}, std::size_t{112 + 11}, std::size_t{224 + 50}}) {
        fWriteBytes(path, std::vector<unsigned char>(size, 1));
        try {
            CKeyPlayer player(path);
            ADD_FAILURE() << size << " bytes were accepted";
        } catch (const CException& failure) {
            EXPECT_NE(std::string(failure.what()).find("not a whole number of 112-byte frames"),
                      std::string::npos)
                << failure.what();
        }
    }
    EXPECT_THROW(CKeyPlayer(folder.file("missing.dat")), CException);
    fWriteBytes(path, {});
    CKeyPlayer empty(path);
    empty.fStartPlay();
    empty.fUpdate();
    EXPECT_FALSE(empty.fIsHold(K::KEY_Z));
}

TEST_F(KeyPlayerTest, ATailOfUpToTenBytesIsNeverRead) {
    // A frame is read only while more than 10 bytes are left, so up to 10 trailing bytes are ignored.
    const std::string path = folder.file("keys.dat");
    for (const std::size_t tail : {std::size_t{1}, std::size_t{5}, std::size_t{10}}) {
        for (const std::size_t frames : {std::size_t{0}, std::size_t{2}}) {
            fWriteBytes(path, std::vector<unsigned char>(frames * 112 + tail, 1));
            CKeyPlayer player(path);
            EXPECT_EQ(player.fGetFrameCount(), frames);
            player.fStartPlay();
            for (std::size_t f = 0; f < frames; ++f) {
                player.fUpdate();
                EXPECT_TRUE(player.fIsHold(K::KEY_Z)) << frames << " frames, tail " << tail;
            }
            player.fUpdate();
            EXPECT_FALSE(player.fIsHold(K::KEY_Z)) << frames << " frames, tail " << tail;
            EXPECT_EQ(player.fGetDirection(), EDirectionTenkey::NEUTRAL);
        }
    }
}

TEST_F(KeyPlayerTest, RecordedNonZeroValuesCountAsDown) {
    const std::string path = folder.file("keys.dat");
    std::vector<unsigned char> bytes;
    for (int k = 0; k < kGameKeyCount; ++k) {
        fAppendLe32(bytes, k == static_cast<int>(K::KEY_C) ? 0xFFFFFFFFu : 0u);
    }
    fWriteBytes(path, bytes);
    CKeyPlayer player(path);
    player.fStartPlay();
    player.fUpdate();
    EXPECT_TRUE(player.fIsHold(K::KEY_C));
    EXPECT_FALSE(player.fIsHold(K::KEY_Z));
}

TEST_F(KeyPlayerTest, PadQueriesDuringPlaybackAreProgrammingErrors) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string path = folder.file("keys.dat");
    fWriteBytes(path, {});
    CKeyPlayer player(path);
    EXPECT_DEATH(player.fGetPressedJoypadButton(), "CKeyManager`s fGetPressedJoypadButton mus'nt call");
    EXPECT_DEATH(player.fSetupPadButtonFromSetting(), "CKeyManager`s fSetupPadButtonFromSetting mus'nt call");
}

// ---- a whole run, recorded, stored and played back -----------------------------------------------------

namespace {
class ReplayRunTest : public KeyPlayerTest {
protected:
    void SetUp() override {
        KeyPlayerTest::SetUp();
        std::filesystem::create_directories(folder.path() / "dat" / "replay");
        std::filesystem::create_directories(folder.path() / "downloaded_replay");
        cwd = std::make_unique<CWorkingDirectoryGuard>(folder.path());
        gKeyManager = std::make_unique<CKeyManager>();
    }
    void TearDown() override {
        cwd.reset();
        KeyPlayerTest::TearDown();
    }

    // One run: each frame samples the keys and draws from gRandom as a game would.
    std::vector<std::pair<SFrameView, std::int32_t>> play(std::size_t frames) {
        std::vector<std::pair<SFrameView, std::int32_t>> seen;
        for (std::size_t f = 0; f < frames; ++f) {
            if (f < kScript.size()) {
                dx_TestSetKeyState(kScript[f], 0, false);
            } else {
                dx_TestSetKeyState({}, 0, false);
            }
            gKeyManager->fUpdate();
            const SFrameView v = view(*gKeyManager);
            const std::int32_t draw =
                gRandom->fGetRand(0, v.hold[static_cast<std::size_t>(K::KEY_Z)] ? 9 : 99);
            seen.emplace_back(v, draw);
        }
        return seen;
    }

    std::unique_ptr<CWorkingDirectoryGuard> cwd;
};
} // namespace

TEST_F(ReplayRunTest, NewHighScoreStoresAReplayThatPlaysBackTheSameRun) {
    testing::internal::CaptureStdout();
    CRunSession run("");
    run.fStart(321);
    const auto live = play(kScript.size());
    EXPECT_TRUE(run.fEnd(500, 100));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("gRandom this(int = 321)\n"), std::string::npos);
    EXPECT_NE(out.find("Seed = 321\n"), std::string::npos);

    EXPECT_TRUE(std::filesystem::exists(kPackedReplayPath));
    EXPECT_FALSE(std::filesystem::exists(kReplayKeyTmpPath));
    EXPECT_FALSE(std::filesystem::exists(kReplayKeyPath));
    EXPECT_FALSE(std::filesystem::exists(kReplaySeedPath));
    EXPECT_EQ(fLoadHighScore(), CHighScoreInfo(500, false));

    gRandom = std::make_unique<CRandom>(1); // something else in between
    CRunSession playback(kPackedReplayPath);
    playback.fStart(0);
    ASSERT_NE(dynamic_cast<CKeyPlayer*>(gKeyManager.get()), nullptr);
    EXPECT_EQ(gRandom->fGetSeed(), 321);
    EXPECT_EQ(fReadSeedFile(kReplaySeedPath), 321);
    EXPECT_EQ(play(kScript.size()), live);

    EXPECT_FALSE(playback.fEnd(99999, 0)); // a playback never stores
    EXPECT_NE(dynamic_cast<CKeyManager*>(gKeyManager.get()), nullptr);
    fRemoveLooseReplayFiles();
    EXPECT_FALSE(std::filesystem::exists(kReplayKeyPath));
    EXPECT_FALSE(std::filesystem::exists(kReplaySeedPath));
    EXPECT_TRUE(std::filesystem::exists(kPackedReplayPath));
}

TEST_F(ReplayRunTest, RunWithoutANewHighScoreLeavesTheStoredReplay) {
    CRunSession first("");
    first.fStart(7);
    play(5);
    ASSERT_TRUE(first.fEnd(300, 0));
    const std::vector<unsigned char> stored = fReadBytes(kPackedReplayPath);

    gKeyManager = std::make_unique<CKeyManager>();
    CRunSession second("");
    second.fStart(8);
    play(3);
    EXPECT_FALSE(second.fEnd(300, 300));
    EXPECT_FALSE(std::filesystem::exists(kReplayKeyTmpPath));
    EXPECT_EQ(fReadBytes(kPackedReplayPath), stored);
    EXPECT_EQ(fLoadHighScore(), CHighScoreInfo(300, false));
}

TEST_F(ReplayRunTest, AbandonedRunKeepsItsRecordUntilTheNextRun) {
    CRunSession first("");
    first.fStart(9);
    play(4);
    first.fAbandon();
    EXPECT_EQ(fReadBytes(kReplayKeyTmpPath).size(), 4u * 112u);
    EXPECT_FALSE(std::filesystem::exists(kPackedReplayPath));
    CRunSession second("");
    second.fStart(10);
    EXPECT_TRUE(fReadBytes(kReplayKeyTmpPath).empty());
}

TEST_F(ReplayRunTest, RecordOfALongRunHasItsExactSize) {
    CRunSession run("");
    run.fStart(1);
    dx_TestSetKeyState({}, 0, false);
    for (int f = 0; f < 3600; ++f) {
        gKeyManager->fUpdate();
    }
    run.fAbandon();
    EXPECT_EQ(std::filesystem::file_size(kReplayKeyTmpPath), 403200u);
}

TEST_F(ReplayRunTest, DamagedReplayLeavesTheGlobalsAlone) {
    // A frame file cut inside a frame.
    fWriteBytes(kReplayKeyPath, std::vector<unsigned char>(112 * 3 + 50, 0));
    fWriteSeedFile(kReplaySeedPath, 55);
    CArchiver::fCompress("downloaded_replay/bad1", {kReplayKeyPath, kReplaySeedPath}, true);
    // A seed file of two bytes.
    fWriteBytes(kReplayKeyPath, std::vector<unsigned char>(112 * 3, 0));
    fWriteBytes(kReplaySeedPath, {1, 2});
    CArchiver::fCompress("downloaded_replay/bad2", {kReplayKeyPath, kReplaySeedPath}, true);
    fWriteBytes("downloaded_replay/bad3", {'P', 'K', 3, 4});

    gRandom = std::make_unique<CRandom>(1234);
    CKeyManagerBase* before = gKeyManager.get();
    for (const char* bad : {"downloaded_replay/bad1", "downloaded_replay/bad2", "downloaded_replay/bad3",
                            "downloaded_replay/missing"}) {
        CRunSession playback(bad);
        EXPECT_THROW(playback.fStart(0), CException) << bad;
        EXPECT_FALSE(playback.fIsRunning());
        EXPECT_EQ(gKeyManager.get(), before);
        EXPECT_EQ(gRandom->fGetSeed(), 1234);
    }
}

TEST_F(ReplayRunTest, PlaceholdersAreRemoved) {
    fWriteBytes("dat/replay/dummy", {});
    fWriteBytes("downloaded_replay/dummy", {});
    fRemoveReplayPlaceholders();
    EXPECT_FALSE(std::filesystem::exists("dat/replay/dummy"));
    EXPECT_FALSE(std::filesystem::exists("downloaded_replay/dummy"));
    fRemoveReplayPlaceholders(); // nothing to remove is fine
}
