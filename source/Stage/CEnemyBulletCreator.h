// Turns a free enemy bullet into one of the four enemy shots.
#pragma once

#include "Stage/CBullet.h"

enum EEnemyBulletKind : int {
    ENEMY_BULLET_SEEP_SHOT = 0,  // the sheep's sleepy cloud: harmless, puts Pelka to sleep
    ENEMY_BULLET_GREEN = 1,      // the wheat's seed
    ENEMY_BULLET_RICE_BALL = 2,  // fired by nobody yet
    ENEMY_BULLET_MINI_SUSHI = 3, // the rice bale's shot; crumbles when it hits
};

class CEnemyBulletCreator {
public:
    static void fCreate(CBullet& bullet, CEnemy* owner, EEnemyBulletKind kind, CStage& stage,
                        SPointD position, double direction, double speed);
};
