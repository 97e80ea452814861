#include "Stage/CEnemy.h"

void CEnemy::fDamage(int attack, CKillCountManager* /*killCounter*/, const SKnockRecord& /*knock*/,
                     bool /*burns*/) {
    mLife -= attack;
    if (mLife <= 0) {
        fKill();
    }
}
