// Turns a free player bullet into one of the party's four shots.
#pragma once

#include "Stage/CBullet.h"

class CZiki;

enum EZikiShotKind : int {
    ZIKI_SHOT_SLASH = 0,         // Pelka's cut in front of her
    ZIKI_SHOT_CHARGED_SLASH = 1, // one of the six cuts around her, moving along with her
    ZIKI_SHOT_FIREBALL = 2,      // Tosca's ball, bursting on impact
    ZIKI_SHOT_FLAME_WALL = 3,    // one of the three flames of her charged shot
};

class CZikiBulletCreator {
public:
    // Position in map coordinates; the angle turns the sprite and the hit shapes and is the knock-back's
    // direction. The attack's kill counter is the caller's to give.
    static void fCreate(CBullet& bullet, CZiki& owner, EZikiShotKind kind, CStage& stage, SPointD position,
                        double angle, double speed);
};
