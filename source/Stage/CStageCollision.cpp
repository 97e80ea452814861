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
    for (CBullet* b : mEnemyBullets.fGetActive()) {
        fCheckBulletAgainstTerrain(*b);
    }

    // Nothing in the pass moves an enemy or an enemy bullet, so their circles are placed once, not once for
    // every player bullet.
    mEnemyCircles.fPlace(mEnemies.fGetActive());
    mEnemyBulletCircles.fPlace(mEnemyBullets.fGetActive());

    for (CBullet* b : mPlayerBullets.fGetActive()) {
        fCheckBulletAgainstTerrain(*b);
        const std::vector<SCircleD> bulletCircles = b->fGetHitCircles();
        fCheckPlayerBulletAgainstEnemies(*b, bulletCircles);
        if (b->mErasesEnemyBullets) {
            fEraseEnemyBulletsTouching(bulletCircles);
        }
    }

    fCheckParty();
}

void CStage::fCheckBulletAgainstTerrain(CBullet& bullet) {
    if (bullet.mIgnoresTerrain) {
        return;
    }
    mTerrain->fForEachTerrainHit(bullet.mPosition, bullet.fGetHitRects(), [&bullet] { bullet.fOnHit(); });
}

void CStage::fCheckPlayerBulletAgainstEnemies(CBullet& bullet, const std::vector<SCircleD>& bulletCircles) {
    const std::vector<CEnemy*>& enemies = mEnemies.fGetActive();
    for (size_t i = 0; i < enemies.size(); ++i) {
        CEnemy* e = enemies[i];
        if (!e->fIsAlive() || e->mShotProof) {
            continue;
        }
        // Every pair of circles in contact is a hit of its own.
        for (const SCircleD& ec : mEnemyCircles.fOf(i)) {
            for (const SCircleD& bc : bulletCircles) {
                if (fIsHitCircle(ec, bc)) {
                    e->fDamage(bullet.mBurns, bullet.mKnock, bullet.mKillCounter, bullet.mAttack);
                    if (bullet.mVanishesOnHit) {
                        bullet.fOnHit();
                    }
                }
            }
        }
    }
}

void CStage::fEraseEnemyBulletsTouching(const std::vector<SCircleD>& bulletCircles) {
    const std::vector<CBullet*>& enemyBullets = mEnemyBullets.fGetActive();
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

void CStage::fCheckParty() {
    if (const auto* state = mParty->fGetSpecialState();
        state && state->fGetType() == CZiki::CSpecialState::FAINTED) {
        return;
    }
    // The party's circles are in screen space, everything else in the map's.
    const SPointD scroll = mTerrain->fGetScrollOffset();
    for (SCircleD pc : mParty->fGetHitCircles()) {
        pc.x -= scroll.x;
        pc.y -= scroll.y;
        fPickUpItemsTouching(pc);
        fCheckEnemyBulletsAgainstParty(pc);
        fCheckEnemiesAgainstParty(pc);
    }
}

void CStage::fPickUpItemsTouching(const SCircleD& partyCircle) {
    CZiki& party = *mParty;
    const std::vector<SCircleD> mine{partyCircle};
    for (CItem* item : mItems.fGetActive()) {
        if (fCirclesTouch(item->fGetHitCircles(), mine) && !party.fIsIngredientFull(item->mKind)) {
            party.fAddIngredient(item->mKind);
            item->fKill();
        }
    }
}

void CStage::fCheckEnemyBulletsAgainstParty(const SCircleD& partyCircle) {
    CZiki& party = *mParty;
    const std::vector<CBullet*>& enemyBullets = mEnemyBullets.fGetActive();
    for (size_t i = 0; i < enemyBullets.size(); ++i) {
        CBullet* eb = enemyBullets[i];
        for (const SCircleD& ec : mEnemyBulletCircles.fOf(i)) {
            if (!fIsHitCircle(ec, partyCircle)) {
                continue;
            }
            if (!eb->mHarmless) {
                party.fDamage(eb->mAttack, eb->mPosition.fGetAngleTo(party.fGetWorldPosition()));
            } else if (party.fGetLeader() == pelka) {
                party.fSleep();
            }
        }
    }
}

void CStage::fCheckEnemiesAgainstParty(const SCircleD& partyCircle) {
    CZiki& party = *mParty;
    const std::vector<CEnemy*>& enemies = mEnemies.fGetActive();
    for (size_t i = 0; i < enemies.size(); ++i) {
        CEnemy* e = enemies[i];
        if (e->mLife <= 0 || e->mTouchSafe) {
            continue;
        }
        for (const SCircleD& ec : mEnemyCircles.fOf(i)) {
            if (fIsHitCircle(ec, partyCircle)) {
                party.fDamage(e->mTouchAttack, e->mPosition.fGetAngleTo(party.fGetWorldPosition()));
            }
        }
    }
}
