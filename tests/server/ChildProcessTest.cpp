// What a child of the server starts goes with it, even when the child itself ends on its own.
#include "CChildProcess.h"
#include "ServerTestSupport.h"

#include <thread>

using namespace servertest;

TEST(ChildProcess, NothingItStartedOutlivesIt) {
    CTempFolder temp;
    const fs::path pidFile = temp.fPath() / "left.pid";
    SChildOptions options;
    options.args = {"/bin/sh", "-c", "sleep 600 & echo $! > '" + pidFile.string() + "'"};
    options.environment = {"PATH=/usr/bin:/bin"};
    options.workFolder = temp.fPath();
    const SChildEnd end = CChildProcess(options).fRun();
    ASSERT_TRUE(end.started);
    EXPECT_FALSE(end.timedOut);
    EXPECT_TRUE(WIFEXITED(end.status) && WEXITSTATUS(end.status) == 0) << end.status;
    const pid_t left = std::atoi(fReadFile(pidFile).c_str());
    ASSERT_GT(left, 0);
    // A killed process is gone (or a zombie) a moment later; this waits for that moment, not for a time.
    const auto running = [left] {
        const std::string stat = fReadFile("/proc/" + std::to_string(left) + "/stat");
        const std::size_t close = stat.rfind(')');
        return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z' &&
               stat[close + 2] != 'X';
    };
    for (int i = 0; i < 1000 && running(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const bool outlived = running();
    if (outlived) {
        ::kill(left, SIGKILL);
    }
    EXPECT_FALSE(outlived) << "what the child started outlived it";
}
