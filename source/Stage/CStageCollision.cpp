// The collision pass: bullets against the town, player bullets against enemies and enemy bullets, and the
// party against items, enemy bullets and enemies. It only finds contacts; the actors decide what they do.
#include "Stage/CStage.h"
#include "Stage/Collision.h"
#include "Ziki/CZiki.h"

namespace {
bool fCirclesTouch(const std::vector<SCircleD>& a, const std::vector<SCircleD>& b) {
    for (const SCircleD& x : a) {
        for (const SCircleD& y : b) {
            if (fIsHitCircle(x, y)) {
                return true;
            }
        }
    }
    return false;
}
} // namespace

void CStage::fCheckCollision() {
    auto terrainTest = [this](CBullet& bullet) {
        if (bullet.mIgnoresTerrain) {
            return;
        }
        mTerrain->fForEachTerrainHit(bullet.mPosition, bullet.fGetHitRects(), [&bullet] { bullet.fOnHit(); });
    };

    for (CBullet* b : mEnemyBullets.fGetActive()) {
        terrainTest(*b);
    }

    for (CBullet* b : mPlayerBullets.fGetActive()) {
        terrainTest(*b);
        const std::vector<SCircleD> bulletCircles = b->fGetHitCircles();
        for (CEnemy* e : mEnemies.fGetActive()) {
            if (!e->fIsAlive() || e->mShotProof) {
                continue;
            }
            for (const SCircleD& ec : e->fGetHitCircles()) {
                for (const SCircleD& bc : bulletCircles) {
                    if (fIsHitCircle(ec, bc)) {
                        e->fDamage(b->mBurns, b->mKnock, b->mKillCounter, b->mAttack);
                        if (b->mVanishesOnHit) {
                            b->fOnHit();
                        }
                    }
                }
            }
        }
        if (b->mErasesEnemyBullets) {
            for (CBullet* eb : mEnemyBullets.fGetActive()) {
                if (!eb->mVanishesOnHit) {
                    continue;
                }
                for (const SCircleD& ec : eb->fGetHitCircles()) {
                    for (const SCircleD& bc : bulletCircles) {
                        if (fIsHitCircle(ec, bc)) {
                            eb->fOnHit();
                        }
                    }
                }
            }
        }
    }

    CZiki& party = *mParty;
    if (const auto* state = party.fGetSpecialState();
        state && state->fGetType() == CZiki::CSpecialState::FAINTED) {
        return;
    }
    const SPointD scroll = mTerrain->fGetScrollOffset();
    for (SCircleD pc : party.fGetHitCircles()) {
        pc.x -= scroll.x;
        pc.y -= scroll.y;
        const std::vector<SCircleD> mine{pc};
        for (CItem* item : mItems.fGetActive()) {
            if (fCirclesTouch(item->fGetHitCircles(), mine) && !party.fIsIngredientFull(item->mKind)) {
                party.fAddIngredient(item->mKind);
                item->fKill();
            }
        }
        for (CBullet* eb : mEnemyBullets.fGetActive()) {
            for (const SCircleD& ec : eb->fGetHitCircles()) {
                if (!fIsHitCircle(ec, pc)) {
                    continue;
                }
                if (!eb->mHarmless) {
                    party.fDamage(eb->mAttack, eb->mPosition.fGetAngleTo(party.fGetWorldPosition()));
                } else if (party.fGetLeader() == pelka) {
                    party.fSleep();
                }
            }
        }
        for (CEnemy* e : mEnemies.fGetActive()) {
            if (e->mLife <= 0 || e->mTouchSafe) {
                continue;
            }
            for (const SCircleD& ec : e->fGetHitCircles()) {
                if (fIsHitCircle(ec, pc)) {
                    party.fDamage(e->mTouchAttack, e->mPosition.fGetAngleTo(party.fGetWorldPosition()));
                }
            }
        }
    }
}
