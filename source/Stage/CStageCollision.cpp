// The collision pass: bullets against the town, player bullets against enemies and enemy bullets, and the
// party against items, enemy bullets and enemies. It only finds contacts; the actors decide what they do.
#include "Stage/CStage.h"
#include "Stage/Collision.h"
#include "Ziki/CZiki.h"

namespace {
// Are any two circles of the two lists in contact?
template <typename A, typename B> bool fCirclesTouch(const A& a, const B& b) {
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

template <typename T> void CStage::CPlacedCircles::fPlace(const std::vector<T*>& actors) {
    mCircles.clear();
    mStart.clear();
    for (const T* a : actors) {
        mStart.push_back(mCircles.size());
        for (const SCircleD& k : a->mHitCircles) {
            mCircles.push_back(a->fPlaceCircle(k));
        }
    }
    mStart.push_back(mCircles.size());
}

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

    // Nothing in the pass moves an enemy or an enemy bullet, so their circles are placed once, not once for
    // every player bullet.
    std::vector<CEnemy*>& enemies = mEnemies.fGetActive();
    std::vector<CBullet*>& enemyBullets = mEnemyBullets.fGetActive();
    mEnemyCircles.fPlace(enemies);
    mEnemyBulletCircles.fPlace(enemyBullets);

    for (CBullet* b : mPlayerBullets.fGetActive()) {
        terrainTest(*b);
        const std::vector<SCircleD> bulletCircles = b->fGetHitCircles();
        for (size_t i = 0; i < enemies.size(); ++i) {
            CEnemy* e = enemies[i];
            if (!e->fIsAlive() || e->mShotProof) {
                continue;
            }
            for (const SCircleD& ec : mEnemyCircles.fOf(i)) {
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
            for (size_t i = 0; i < enemyBullets.size(); ++i) {
                CBullet* eb = enemyBullets[i];
                if (!eb->mVanishesOnHit) {
                    continue;
                }
                for (const SCircleD& ec : mEnemyBulletCircles.fOf(i)) {
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
        for (size_t i = 0; i < enemyBullets.size(); ++i) {
            CBullet* eb = enemyBullets[i];
            for (const SCircleD& ec : mEnemyBulletCircles.fOf(i)) {
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
        for (size_t i = 0; i < enemies.size(); ++i) {
            CEnemy* e = enemies[i];
            if (e->mLife <= 0 || e->mTouchSafe) {
                continue;
            }
            for (const SCircleD& ec : mEnemyCircles.fOf(i)) {
                if (fIsHitCircle(ec, pc)) {
                    party.fDamage(e->mTouchAttack, e->mPosition.fGetAngleTo(party.fGetWorldPosition()));
                }
            }
        }
    }
}
