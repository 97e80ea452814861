#include "GameMain/CFpsTimer.h"
#include "GameMain/COptionInfo.h"
#include "GameMain/CSceneHolder.h"
#include "GameMain/GameMain.h"
#include "base/Log.h"
#include "input/CKeyManager.h"

#include <dx/DxLib.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {
std::vector<std::string> gCalls;

class CRecordingScene : public CScene {
public:
    explicit CRecordingScene(std::string name) : mName(std::move(name)) {}
    ~CRecordingScene() override { gCalls.push_back(mName + ".destroyed"); }
    void fInput() override {
        gCalls.push_back(mName + ".input");
        if (mSwitchInInput) {
            gScene = std::make_unique<CRecordingScene>("B");
            // Still alive and usable after replacing itself.
            gCalls.push_back(mName + ".after-switch");
        }
    }
    void fUpdate() override { gCalls.push_back(mName + ".update"); }
    void fDraw() override { gCalls.push_back(mName + ".draw"); }
    bool mSwitchInInput = false;

private:
    std::string mName;
};

class GameLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        gCalls.clear();
        dx_SetBackend(DxBackend::Null);
        ASSERT_EQ(dx_DxLib_Init(), 0);
        if (!gOptionInfo) {
            gOptionInfo = std::make_unique<COptionInfo>();
        }
        gKeyManager = std::make_unique<CKeyManager>();
        gFpsTimer = std::make_unique<CFpsTimer>(true);
        gFpsTimer->fSetNoWait(true);
        gQuitRequested = false;
    }
    void TearDown() override {
        gScene.fReset();
        gKeyManager.reset();
        gFpsTimer.reset();
        dx_SetFrameLimit(-1);
        dx_DxLib_End();
    }
};
} // namespace

TEST_F(GameLoopTest, SceneSetInInputGetsUpdateAndDrawInTheSameFrame) {
    auto a = std::make_unique<CRecordingScene>("A");
    a->mSwitchInInput = true;
    gScene = std::move(a);
    dx_SetFrameLimit(1);
    fGameLoop();
    const std::vector<std::string> expected{"A.input", "A.after-switch", "A.destroyed", "B.update", "B.draw"};
    EXPECT_EQ(gCalls, expected);
}

TEST_F(GameLoopTest, LoopEndsWhenTheWindowCloses) {
    gScene = std::make_unique<CRecordingScene>("A");
    dx_SetFrameLimit(3);
    fGameLoop();
    EXPECT_EQ(std::count(gCalls.begin(), gCalls.end(), "A.draw"), 3);
}

TEST_F(GameLoopTest, QuitRequestEndsTheLoopAfterTheFrame) {
    class CQuitting : public CScene {
    public:
        void fInput() override {}
        void fUpdate() override { gQuitRequested = ++mFrames == 2; }
        void fDraw() override { gCalls.push_back("Q.draw"); }
        int mFrames = 0;
    };
    gScene = std::make_unique<CQuitting>();
    fGameLoop();
    // The frame that asked to quit is still drawn and flipped, then the loop ends.
    EXPECT_EQ(gCalls, (std::vector<std::string>{"Q.draw", "Q.draw"}));
}

namespace {
// The game writes its logs into the working directory; these tests look there.
class CLogInWorkingDirectory {
public:
    CLogInWorkingDirectory() : mSaved(fGetLogFolder()) { fSetLogFolder(""); }
    ~CLogInWorkingDirectory() { fSetLogFolder(mSaved); }

private:
    std::string mSaved;
};
} // namespace

TEST(GameLog, ChannelZeroWritesANewFileNamedByTheTime) {
    const CLogInWorkingDirectory logHere;
    const auto old = fs::current_path();
    const fs::path dir = fs::temp_directory_path() / ("tavoni_log_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::current_path(dir);
    const auto before = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
    const std::string first = fWriteLog("exception:one", 0);
    const std::string second = fWriteLog("exception:two", 0);
    EXPECT_EQ(fWriteLog("ignored", 3), "");
    fs::current_path(old);

    ASSERT_FALSE(first.empty());
    EXPECT_NE(first, second); // same millisecond never overwrites
    EXPECT_EQ(first.substr(first.size() - 4), ".log");
    const long long stamp = std::stoll(first.substr(0, first.size() - 4));
    EXPECT_GE(stamp, before);
    std::ifstream in(dir / first);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "exception:one");
    int files = 0;
    for (const auto& e : fs::directory_iterator(dir)) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 2);
    fs::remove_all(dir);
}

TEST(GameLog, AnEscapingExceptionIsLoggedAndShutdownStillRuns) {
    const CLogInWorkingDirectory logHere;
    struct Case {
        const char* what;
        std::function<void(const fs::path&)> prepare;
        const char* logged;
    };
    const Case cases[] = {
        // No data folder: start-up fails with the game's own exception.
        {"no data", [](const fs::path&) {}, "dat/image/"},
        // A mask folder that links to itself: the standard library's filesystem_error.
        {"looping mask folder",
         [](const fs::path& dir) { fs::create_directory_symlink("mask", dir / "dat" / "mask"); }, "dat/mask"},
    };
    const auto old = fs::current_path();
    for (const Case& c : cases) {
        const fs::path dir = fs::temp_directory_path() / ("tavoni_guard_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir / "dat" / "replay");
        std::ofstream(dir / "dat" / "replay" / "replay.dat") << "old";
        c.prepare(dir);
        fs::current_path(dir);
        dx_SetBackend(DxBackend::Null);
        ASSERT_EQ(dx_DxLib_Init(), 0);
        EXPECT_FALSE(fRunGame()) << c.what;
        dx_DxLib_End();
        fs::current_path(old);

        std::string log;
        for (const auto& e : fs::directory_iterator(dir)) {
            if (e.path().extension() == ".log") {
                std::ifstream in(e.path());
                std::stringstream text;
                text << in.rdbuf();
                log = text.str();
            }
        }
        EXPECT_EQ(log.rfind("exception:", 0), 0u) << c.what << ": " << log;
        EXPECT_NE(log.find(c.logged), std::string::npos) << c.what << ": " << log;
        // fFinalize ran: the loose replay file is gone.
        EXPECT_FALSE(fs::exists(dir / "dat" / "replay" / "replay.dat")) << c.what;
        fs::remove_all(dir);
    }
}
