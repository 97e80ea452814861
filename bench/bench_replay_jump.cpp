// Time of the replay theater's jumps: on the longest replay of the corpus (tests/replays), a jump to the
// end of its play from the start, to the middle from there and back to the start, 20 times each, with the
// median and the worst, in wall time and in this thread's processor time. A jump plays the replay again from
// its start out of sight (no drawing, no sound). Run from the checkout (or give it as the only argument); the
// unpacked replay goes to a scratch folder.
#include "GameMain/CReplayCursor.h"
#include "GameMain/GameRecords.h"
#include "Stage/CStage.h"
#include "ToolGlobals.h"
#include "base/GameFolders.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <dx/DxLib.h>
#include <exception>
#include <filesystem>
#include <string>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int kRepeats = 20;

struct SJump {
    const char* what;
    std::vector<double> ms;
    std::vector<double> cpuMs;
};

// This thread's processor time: what a jump costs on an idle machine, whatever else shares this one.
double fCpuMs() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

double fMedian(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The corpus replay with the most frames of play.
fs::path fLongestReplay(CStageHost& host, int& frames) {
    fs::path longest;
    frames = 0;
    for (const auto& entry : fs::directory_iterator("tests/replays")) {
        if (entry.path().extension() != ".replay") {
            continue;
        }
        CReplayCursor cursor(entry.path().string(), fLoadReplayInput(entry.path().string()), host);
        const int length = cursor.fSurvey().playFrames;
        if (length > frames) {
            frames = length;
            longest = entry.path();
        }
    }
    return longest;
}

void fRun() {
    CStageHost host;
    int frames = 0;
    const fs::path replay = fLongestReplay(host, frames);
    CReplayCursor cursor(replay.string(), fLoadReplayInput(replay.string()), host);
    const auto start = Clock::now();
    const SReplaySurvey survey = cursor.fSurvey();
    const double surveyMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::printf(
        "bench_replay_jump: %s, %d frames of play, %zu moments; the pass over it at opening %.1f ms\n",
        replay.filename().c_str(), survey.playFrames, survey.moments.size(), surveyMs);
    SJump jumps[] = {{"to the end, from the start", {}, {}},
                     {"to the middle, from the end", {}, {}},
                     {"back to the start, from the middle", {}, {}}};
    const int targets[] = {survey.playFrames, survey.playFrames / 2, 0};
    cursor.fSeek(0);
    for (int r = 0; r < kRepeats; ++r) {
        for (int j = 0; j < 3; ++j) {
            const auto from = Clock::now();
            const double cpuFrom = fCpuMs();
            cursor.fSeek(targets[j]);
            jumps[j].cpuMs.push_back(fCpuMs() - cpuFrom);
            jumps[j].ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - from).count());
        }
    }
    for (const SJump& jump : jumps) {
        std::printf("bench_replay_jump: jump %-36s median %6.2f ms, worst %6.2f ms (of %d); processor time "
                    "median %6.2f ms, worst %6.2f ms\n",
                    jump.what, fMedian(jump.ms), *std::max_element(jump.ms.begin(), jump.ms.end()), kRepeats,
                    fMedian(jump.cpuMs), *std::max_element(jump.cpuMs.begin(), jump.cpuMs.end()));
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2) {
        std::error_code ec;
        fs::current_path(argv[1], ec);
    }
    if (!fs::is_directory("dat") || !fs::is_directory("tests/replays")) {
        std::fprintf(stderr, "bench_replay_jump: run from the checkout, or pass it as argument\n");
        return 1;
    }
    // The replays unpack into a scratch player's folder, never the checkout's.
    const fs::path scratch = fs::temp_directory_path() / ("bench_replay_jump_" + std::to_string(::getpid()));
    fs::create_directories(scratch / "dat/replay");
    fSetGameFolders({"", scratch.string() + "/", false});
    fLoadSetting();
    dx_SetBackend(DxBackend::Null);
    int status = 0;
    if (dx_DxLib_Init() != 0) {
        std::fprintf(stderr, "bench_replay_jump: the media layer could not start\n");
        status = 1;
    } else {
        try {
            fCreateToolGlobals(false, 1);
            fRun();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "bench_replay_jump: %s\n", e.what());
            status = 1;
        }
        fReleaseToolGlobals();
        dx_DxLib_End();
    }
    gOptionInfo.reset();
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
    return status;
}
