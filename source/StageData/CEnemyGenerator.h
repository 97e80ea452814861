// Sends the enemies: four hunting grounds, each sending waves while the party stands inside it, none while
// more enemies are out than the rank allows. Also outlines the grounds on the map.
#pragma once

#include "StageData/CEnemyGenerateArea.h"

#include <array>
#include <memory>

class CStage;
class CStateDigest;

class CEnemyGenerator {
public:
    static constexpr int kAreaCount = 4;

    explicit CEnemyGenerator(CStage& stage);
    virtual ~CEnemyGenerator() = default;
    CEnemyGenerator(const CEnemyGenerator&) = delete;
    CEnemyGenerator& operator=(const CEnemyGenerator&) = delete;

    // One frame, after the terrain has scrolled.
    virtual void fUpdate();
    // The areas' outlines, over the ground and under the actors.
    virtual void fDraw() const;

    // Areas 1 to 4 at indices 0 to 3.
    const CEnemyGenerateAreaBase& fGetArea(int index) const;
    // The areas' wave timers.
    void fAddToDigest(CStateDigest& digest) const;

private:
    CStage* mStage;
    std::array<std::unique_ptr<CEnemyGenerateAreaBase>, kAreaCount> mAreas;
};
