#include "StageData/CEnemyGenerateArea.h"

#include "Stage/CEffectCreator.h"
#include "Stage/CEffectParam.h"
#include "Stage/CGeographicalFeatures.h"
#include "Stage/CStage.h"
#include "base/CRandom.h"

#include <memory>

namespace {
constexpr int kCell = CGeographicalFeatures::kChipSize;
// Markers keep this far from the area's outer edge.
constexpr int kInset = 8;
constexpr int kWavePeriod = 420;
constexpr int kSlowWavePeriod = 480;
} // namespace

CEnemyGenerateAreaBase::CEnemyGenerateAreaBase(int left, int right, int top, int bottom)
    : mLeft(left), mRight(right), mTop(top), mBottom(bottom) {}

void CEnemyGenerateAreaBase::fTick() {
    if (mWaveTimer > 0) {
        --mWaveTimer;
    }
}

bool CEnemyGenerateAreaBase::fIsInside(SPointI cell) const {
    return mLeft < cell.x && cell.x < mRight && mTop < cell.y && cell.y < mBottom;
}

void CEnemyGenerateAreaBase::fStartWave(CStage& stage, int base, std::span<const EEnemyKind> fixedPart) {
    if (mWaveTimer != 0) {
        return;
    }
    const int out = static_cast<int>(stage.fGetEnemies().size());
    mWaveTimer = (out / 3) * base + base;
    for (const EEnemyKind kind : fixedPart) {
        fAnnounce(stage, fDrawSpawnPoint(), kind);
    }
    const int extra = gRandom->fGetRand(1, 2);
    for (int i = 0; i < extra; ++i) {
        const SPointD position = fDrawSpawnPoint();
        const auto kind = static_cast<EEnemyKind>(gRandom->fGetRand(ENEMY_KOMUGI, ENEMY_NIWATORI));
        fAnnounce(stage, position, kind);
    }
}

SPointD CEnemyGenerateAreaBase::fDrawSpawnPoint() const {
    const int x = gRandom->fGetRand(mLeft * kCell + kInset, mRight * kCell - kInset);
    const int y = gRandom->fGetRand(mTop * kCell + kInset, mBottom * kCell - kInset);
    return {static_cast<double>(x), static_cast<double>(y)};
}

void CEnemyGenerateAreaBase::fAnnounce(CStage& stage, SPointD position, EEnemyKind kind) {
    CEffectCreator::fCreate(stage.fGetNewEffect(), stage, EFFECT_ENEMY_APPEARANCE, position, 0.0, 0.0,
                            std::make_shared<CEffectParam_ENEMY_APPEARANCE>(kind));
}

void CEnemyGenerateArea1::fGenerate(CStage& stage) {
    static constexpr EEnemyKind kWave[] = {ENEMY_KOMUGI, ENEMY_KOMUGI, ENEMY_KOMUGI};
    fStartWave(stage, kWavePeriod, kWave);
}

void CEnemyGenerateArea2::fGenerate(CStage& stage) {
    static constexpr EEnemyKind kWave[] = {ENEMY_PIG, ENEMY_PIG, ENEMY_SEEP};
    fStartWave(stage, kWavePeriod, kWave);
}

void CEnemyGenerateArea3::fGenerate(CStage& stage) {
    static constexpr EEnemyKind kWave[] = {ENEMY_NIWATORI, ENEMY_NIWATORI, ENEMY_NIWATORI};
    fStartWave(stage, kWavePeriod, kWave);
}

void CEnemyGenerateArea4::fGenerate(CStage& stage) {
    static constexpr EEnemyKind kWave[] = {ENEMY_KOMEDAWARA, ENEMY_KOMEDAWARA, ENEMY_SEAWOOD_CAN};
    fStartWave(stage, kSlowWavePeriod, kWave);
}
