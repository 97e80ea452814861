#include "StageData/CEnemyGenerator.h"
#include "base/CStateDigest.h"

#include "Stage/CGeographicalFeatures.h"
#include "Stage/CStage.h"
#include "Stage/Collision.h"
#include "Ziki/CZiki.h"
#include "base/Check.h"

#include <dx/DxLib.h>

CEnemyGenerator::CEnemyGenerator(CStage& stage)
    : mStage(&stage), mAreas{std::make_unique<CEnemyGenerateArea1>(), std::make_unique<CEnemyGenerateArea2>(),
                             std::make_unique<CEnemyGenerateArea3>(),
                             std::make_unique<CEnemyGenerateArea4>()} {}

const CEnemyGenerateAreaBase& CEnemyGenerator::fGetArea(int index) const {
    TAVONI_CHECK(index >= 0 && index < kAreaCount, "StageData", "no such generation area");
    return *mAreas[static_cast<size_t>(index)];
}

void CEnemyGenerator::fUpdate() {
    CStage& stage = *mStage;
    // A crowded town gets no new waves, and the waves that are due wait.
    if (static_cast<int>(stage.fGetEnemies().size()) > stage.fGetRankLevel()) {
        return;
    }
    for (const auto& area : mAreas) {
        area->fTick();
    }
    const CZiki* party = stage.fGetParty();
    if (party == nullptr) {
        return;
    }
    const SPointI cell = fToMapCell(party->fGetWorldPosition());
    for (const auto& area : mAreas) {
        if (area->fIsInside(cell)) {
            area->fGenerate(stage);
        } else {
            area->fMakeReady();
        }
    }
}

void CEnemyGenerator::fDraw() const {
    constexpr int kCell = CGeographicalFeatures::kChipSize;
    const CGeographicalFeatures& terrain = mStage->fGetTerrain();
    const double sx = terrain.fGetScrollX();
    const double sy = terrain.fGetScrollY();
    const unsigned int white = dx_GetColor(255, 255, 255);
    for (const auto& area : mAreas) {
        const int left = static_cast<int>(area->fGetLeft() * kCell + sx);
        const int right = static_cast<int>(area->fGetRight() * kCell + sx);
        const int top = static_cast<int>(area->fGetTop() * kCell + sy);
        const int bottom = static_cast<int>(area->fGetBottom() * kCell + sy);
        dx_DrawLine(left, top, right, top, white);
        dx_DrawLine(right, top, right, bottom, white);
        dx_DrawLine(right, bottom, left, bottom, white);
        dx_DrawLine(left, bottom, left, top, white);
    }
}

void CEnemyGenerator::fAddToDigest(CStateDigest& digest) const {
    for (const auto& area : mAreas) {
        digest.fAddInt(area->fGetWaveTimer());
    }
}
