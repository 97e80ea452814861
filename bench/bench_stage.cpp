// Cost of one frame of the real stage (input, update and draw) while the party walks around the town, on the
// offscreen backend (software renderer, real pixels) and on the null backend (no pixels); then the same
// with every pool full and on screen (1000 enemies, 1000 enemy bullets, 200 player bullets, 1000 effects,
// 100 items), topped up before each measured frame.
// Run from the game folder (the one holding dat/), or give that folder as the only argument.
#include "GameMain/CFpsTimer.h"
#include "GameMain/COptionInfo.h"
#include "GameMain/CProfiler.h"
#include "GameMain/GameMain.h"
#include "GameMain/GameRecords.h"
#include "Stage/CEffectCreator.h"
#include "Stage/CEnemyBulletCreator.h"
#include "Stage/CItemCreator.h"
#include "Stage/CKillCountManager.h"
#include "Stage/CStage.h"
#include "StageData/CEnemyCreator.h"
#include "ToolGlobals.h"
#include "Ziki/CZiki.h"
#include "Ziki/CZikiSprites.h"
#include "audio/CSoundManager.h"
#include "base/CRandom.h"
#include "geometry/CPoint.h"
#include "input/CKeyManager.h"
#include "render/CImageManager.h"
#include "render/ScreenGeometry.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <dx/DxLib.h>
#include <exception>
#include <filesystem>
#include <memory>
#include <numeric>
#include <stdexcept>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWarmUpFrames = 60;
constexpr int kMeasuredFrames = 600;
constexpr int kFramesPerDirection = 120;

double millisBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const std::size_t i = std::min(values.size() - 1, std::size_t(p * double(values.size() - 1) + 0.5));
    return values[i];
}

// Right, down, left, up, each held for kFramesPerDirection frames, so the camera keeps scrolling.
void holdDirectionFor(int frame) {
    static const int kKeys[4] = {KEY_INPUT_RIGHT, KEY_INPUT_DOWN, KEY_INPUT_LEFT, KEY_INPUT_UP};
    dx_TestSetKeyState({kKeys[(frame / kFramesPerDirection) % 4]}, 0, false);
}

struct Figures {
    std::vector<double> frameMs;  // input + update + draw + flip
    std::vector<double> updateMs; // stage input + update only
    SPointD cameraMin{1e9, 1e9};
    SPointD cameraMax{-1e9, -1e9};
};

// One frame as the game loop runs it; `figures`, when given, receives its times.
void timeFrame(CStage& stage, Figures* figures) {
    const auto start = Clock::now();
    gKeyManager->fUpdate();
    const auto updateStart = Clock::now();
    stage.fInput();
    stage.fUpdate();
    const auto updateEnd = Clock::now();
    dx_ClsDrawScreen();
    stage.fDraw();
    dx_ScreenFlip();
    const auto end = Clock::now();
    if (figures != nullptr) {
        figures->frameMs.push_back(millisBetween(start, end));
        figures->updateMs.push_back(millisBetween(updateStart, updateEnd));
    }
}

Figures runStage() {
    Figures figures;
    figures.frameMs.reserve(kMeasuredFrames);
    figures.updateMs.reserve(kMeasuredFrames);
    CStage stage("", false);
    for (int frame = 0; frame < kWarmUpFrames + kMeasuredFrames; ++frame) {
        holdDirectionFor(frame);
        timeFrame(stage, frame >= kWarmUpFrames ? &figures : nullptr);
        const SPointD camera = stage.fGetTerrain().fGetCamera();
        figures.cameraMin = {std::min(figures.cameraMin.x, camera.x),
                             std::min(figures.cameraMin.y, camera.y)};
        figures.cameraMax = {std::max(figures.cameraMax.x, camera.x),
                             std::max(figures.cameraMax.y, camera.y)};
    }
    return figures;
}

constexpr int kStressFrames = 120;

// A map position on the screen, spread over a grid by index.
SPointD onScreen(CStage& stage, int i, int columns, int rows) {
    const double x = 20.0 + 600.0 * double(i % columns) / double(columns);
    const double y = 20.0 + 440.0 * double((i / columns) % rows) / double(rows);
    return stage.fGetTerrain().fToMap({x, y});
}

// Tops every pool up to its capacity with actors on the screen.
void fillPools(CStage& stage) {
    for (int i = int(stage.fGetEnemies().size()); i < 1000; ++i) {
        CEnemyCreator::fCreate(stage.fGetNewEnemy(), static_cast<EEnemyKind>(i % 6), stage,
                               onScreen(stage, i, 40, 25), {0.0, 0.0}, -1);
    }
    for (int i = int(stage.fGetEnemyBullets().size()); i < 1000; ++i) {
        CEnemyBulletCreator::fCreate(stage.fGetNewEnemyBullet(), nullptr,
                                     static_cast<EEnemyBulletKind>(i % 4), stage,
                                     onScreen(stage, i * 7, 40, 25), (i * 37) % 360, 0.5);
    }
    const auto attack = std::make_shared<CKillCountManager>();
    SDrawData fire = fMakeDrawDataFromName("ziki/fireball_effect.png");
    fire.fSetSizeAndCenter(32, 32);
    for (int i = int(stage.fGetPlayerBullets().size()); i < 200; ++i) {
        CBullet& b = stage.fGetNewPlayerBullet();
        b.fSetup(stage, nullptr, 1, fire, onScreen(stage, i * 13, 20, 10), (i * 53) % 360, 1.0);
        b.mHitCircles.emplace_back(0.0, 0.0, 8.0);
        b.mHitRects.emplace_back(0.0, 0.0, 12.0, 12.0);
        b.mKillCounter = attack;
        b.mErasesEnemyBullets = i % 2 == 0;
    }
    static const EEffectKind kEffects[4] = {EFFECT_EXPLOSION, EFFECT_SHOT_HIT, EFFECT_ALERT,
                                            EFFECT_RICE_CRUMB};
    for (int i = int(stage.fGetEffects().size()); i < 1000; ++i) {
        CEffectCreator::fCreate(stage.fGetNewEffect(), stage, kEffects[i % 4],
                                onScreen(stage, i * 11, 40, 25), 0.0, 0.0);
    }
    for (int i = int(stage.fGetItems().size()); i < 100; ++i) {
        CItemCreator::fCreate(stage, stage.fGetNewItem(), static_cast<EItemType>(i % 6),
                              onScreen(stage, i * 3, 10, 10));
    }
}

// The party stands in the pigs' meadow while its waves come out and fight it.
Figures runWave() {
    Figures figures;
    CStage stage("", false);
    stage.fAddRank(9);
    stage.fSetTimeLeft(1000000);
    const SPointD world{784.0, 256.0};
    const SPointD camera{784.0, 240.0};
    stage.fGetTerrain().fSetCamera(camera);
    stage.fGetParty()->mPosition = world - camera + kScreenCentre;
    dx_TestSetKeyState({}, 0, false);
    for (int frame = 0; frame < kWarmUpFrames + kMeasuredFrames; ++frame) {
        timeFrame(stage, frame >= kWarmUpFrames ? &figures : nullptr);
    }
    return figures;
}

Figures runStress() {
    Figures figures;
    CStage stage("", false);
    dx_TestSetKeyState({}, 0, false);
    for (int frame = 0; frame < kWarmUpFrames / 6 + kStressFrames; ++frame) {
        fillPools(stage);
        timeFrame(stage, frame >= kWarmUpFrames / 6 ? &figures : nullptr);
    }
    return figures;
}

bool runBackend(DxBackend backend, const char* name) {
    dx_SetBackend(backend);
    if (dx_DxLib_Init() != 0) {
        std::fprintf(stderr, "bench_stage: %s: the media layer could not start: %s\n", name,
                     dx_GetLastError().c_str());
        return false;
    }
    dx_SetTransColor(255, 0, 255);
    dx_SetDrawMode(1);

    Figures figures;
    Figures stress;
    Figures wave;
    bool ok = true;
    try {
        fCreateToolGlobals(gConfigSound, 1);
        figures = runStage();
        stress = runStress();
        wave = runWave();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_stage: %s: %s\n", name, e.what());
        ok = false;
    }
    dx_TestClearKeyState();
    fReleaseToolGlobals();
    dx_DxLib_End();
    if (!ok) {
        return false;
    }

    const double mean =
        std::accumulate(figures.frameMs.begin(), figures.frameMs.end(), 0.0) / double(figures.frameMs.size());
    std::printf("bench_stage: %s: %zu frames after %d warm-up, camera x %.0f..%.0f y %.0f..%.0f\n", name,
                figures.frameMs.size(), kWarmUpFrames, figures.cameraMin.x, figures.cameraMax.x,
                figures.cameraMin.y, figures.cameraMax.y);
    std::printf("bench_stage: %s: frame median %.3f ms, 95th percentile %.3f ms, %.0f fps (1000 / mean)\n",
                name, percentile(figures.frameMs, 0.5), percentile(figures.frameMs, 0.95), 1000.0 / mean);
    std::printf("bench_stage: %s: update only (input + update) median %.4f ms\n", name,
                percentile(figures.updateMs, 0.5));
    std::printf(
        "bench_stage: %s: wave in the meadow (%zu frames): frame median %.3f ms, 95th percentile %.3f ms\n",
        name, wave.frameMs.size(), percentile(wave.frameMs, 0.5), percentile(wave.frameMs, 0.95));
    std::printf("bench_stage: %s: stress (all pools full, %zu frames): update median %.3f ms, "
                "update + draw median %.3f ms, 95th percentile %.3f ms\n",
                name, stress.frameMs.size(), percentile(stress.updateMs, 0.5),
                percentile(stress.frameMs, 0.5), percentile(stress.frameMs, 0.95));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 2) {
        std::fprintf(stderr, "usage: bench_stage [game folder]\n");
        return 2;
    }
    if (argc == 2) {
        std::error_code ec;
        std::filesystem::current_path(argv[1], ec);
        if (ec) {
            std::fprintf(stderr, "bench_stage: cannot enter %s: %s\n", argv[1], ec.message().c_str());
            return 1;
        }
    }
    if (!std::filesystem::is_directory("dat")) {
        std::fprintf(stderr, "bench_stage: no dat/ here; run from the game folder or pass it as argument\n");
        return 1;
    }

    fLoadSetting();
    const bool ok = runBackend(DxBackend::Offscreen, "offscreen") && runBackend(DxBackend::Null, "null");
    gOptionInfo.reset();
    return ok ? 0 : 1;
}
