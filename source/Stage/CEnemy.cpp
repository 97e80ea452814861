#include "Stage/CEnemy.h"

void CEnemy::fDamage(bool /*burns*/, const SKnockRecord& /*knock*/,
                     const std::shared_ptr<CKillCountManager>& /*killCounter*/, int attack) {
    mLife -= attack;
    if (mLife <= 0) {
        fKill();
    }
}
