// Turns a free enemy into one of the six kinds: images, life by rank, hit shapes, behaviour and drop.
#pragma once

#include "Stage/CEnemy.h"
#include "Ziki/CFoodTables.h"

enum EEnemyKind : int {
    ENEMY_KOMUGI = 0,      // wheat
    ENEMY_SEEP = 1,        // sheep
    ENEMY_PIG = 2,         //
    ENEMY_SEAWOOD_CAN = 3, // a can of seaweed
    ENEMY_KOMEDAWARA = 4,  // rice bale
    ENEMY_NIWATORI = 5,    // chicken
};

class CEnemyCreator {
public:
    // `velocity` is the start movement in pixels per frame; `lifetime` -1 means no limit.
    static void fCreate(CEnemy& enemy, EEnemyKind kind, CStage& stage, SPointD position, SPointD velocity,
                        int lifetime);
    // The life of a kind at a rank.
    static int fGetLife(EEnemyKind kind, int rank);
    // The ingredient a kind drops.
    static EItemType fGetDrop(EEnemyKind kind);
};

// The seaweed can's behaviour: every second it heads for the party when the party is near.
void fSeawoodCanBehaviour(CEnemy& enemy);
