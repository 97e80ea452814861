#include "StageData/CEnemyCreator.h"

#include "Stage/CItemCreator.h"
#include "Stage/CStage.h"
#include "StageData/CEnemyBehaviours.h"
#include "base/Check.h"
#include "render/CImageManager.h"

namespace {
struct SEnemyImages {
    const char* first;
    const char* second;
};

const SEnemyImages kImages[] = {
    {"enemy/komugi1.png", "enemy/komugi2.png"},
    {"enemy/seep1.png", "enemy/seep2.png"},
    {"enemy/pig1.png", "enemy/pig2.png"},
    {"enemy/seawood_can1.png", "enemy/seawood_can2.png"},
    {"enemy/komedawara1.png", "enemy/komedawara2.png"},
    {"enemy/niwatori1.png", "enemy/niwatori2.png"},
};

void fCheckKind(EEnemyKind kind) {
    TAVONI_CHECK(kind >= 0 && kind < static_cast<int>(std::size(kImages)), "StageData", "unknown enemy kind");
}

// The drop: an ingredient where the enemy fell, while the item pool has room for it.
void fDrop(CEnemy& enemy, EItemType item) {
    CStage& stage = *enemy.mStage;
    if (stage.fGetItems().size() < static_cast<size_t>(stage.fGetItemTotal())) {
        CItemCreator::fCreate(stage, stage.fGetNewItem(), item, enemy.mPosition);
    }
}
} // namespace

int CEnemyCreator::fGetLife(EEnemyKind kind, int rank) {
    fCheckKind(kind);
    const double r = rank;
    switch (kind) {
    case ENEMY_KOMUGI:
    case ENEMY_SEEP:
        return static_cast<int>(r * 2.5 + 40);
    case ENEMY_PIG:
        return rank * 3 + 45;
    case ENEMY_SEAWOOD_CAN:
        return rank * 7 + 60;
    case ENEMY_KOMEDAWARA:
        return static_cast<int>(r * 2.4 + 40);
    case ENEMY_NIWATORI:
        return static_cast<int>(r * 3.2 + 40);
    }
    TAVONI_UNREACHABLE("StageData");
}

EItemType CEnemyCreator::fGetDrop(EEnemyKind kind) {
    fCheckKind(kind);
    switch (kind) {
    case ENEMY_KOMUGI:
        return ITEM_FLOUR;
    case ENEMY_SEEP:
        return ITEM_MUTTON;
    case ENEMY_PIG:
        return ITEM_PORK;
    case ENEMY_SEAWOOD_CAN:
        return ITEM_SEAWEED;
    case ENEMY_KOMEDAWARA:
        return ITEM_RICE;
    case ENEMY_NIWATORI:
        return ITEM_EGG;
    }
    TAVONI_UNREACHABLE("StageData");
}

void CEnemyCreator::fCreate(CEnemy& enemy, EEnemyKind kind, CStage& stage, SPointD position, SPointD velocity,
                            int lifetime) {
    fCheckKind(kind);
    SDrawData d = fMakeDrawDataFromName(kImages[kind].first);
    d.fAddCel(gImageManager->fGetHandle(kImages[kind].second));
    d.fSetAnimeWait(10);
    d.fSetSizeAndCenter(32, 32);

    const double speed = velocity.fGetDistance(SPointD(0.0, 0.0));
    const double direction = speed > 0.0 ? velocity.fGetAngle() : 0.0;
    enemy.fSetup(d, position, stage, lifetime, direction, speed);
    const int rank = stage.fGetRank();
    enemy.mLife = fGetLife(kind, rank);
    enemy.mMaxLife = enemy.mLife;
    enemy.mScore = 10;
    enemy.mHitCircles.emplace_back(0.0, 0.0, 12.0);
    enemy.mHitRects.emplace_back(0.0, 0.0, 24.0, 24.0);

    enemy.mKind = kind;
    switch (kind) {
    case ENEMY_KOMUGI:
        enemy.mCanBurn = true;
        enemy.mBehaviour = CFunc_KOMUGI(rank);
        break;
    case ENEMY_SEEP:
        enemy.mBehaviour = CFunc_SEEP();
        break;
    case ENEMY_PIG:
        enemy.mBehaviour = CFunc_PIG();
        break;
    case ENEMY_SEAWOOD_CAN:
        enemy.mBehaviour = fSeawoodCanBehaviour;
        break;
    case ENEMY_KOMEDAWARA:
        enemy.mCanBurn = true;
        enemy.mBehaviour = CFunc_KOMEDAWARA(rank);
        break;
    case ENEMY_NIWATORI:
        enemy.mBehaviour = CFunc_NIWATORI(rank);
        break;
    }
    enemy.mOnDeath = [item = fGetDrop(kind)](CEnemy& e) { fDrop(e, item); };
}

void fSeawoodCanBehaviour(CEnemy& enemy) {
    if (enemy.fGetCounter() % 60 == 0 && enemy.fGetDistanceToParty() < 300.0) {
        enemy.mSpeed = 1.0;
        enemy.mDirection = enemy.fGetAngleToParty();
    }
}
