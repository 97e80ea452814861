// A stage for combat tests: enemies made by the creator at screen positions, hits as a player bullet would
// give them, and frames of the enemies alone or of the whole stage. The party stands in the middle of the
// screen, on an open street of the town.
#pragma once

#include "Stage/CEffect.h"
#include "Stage/CEnemy.h"
#include "Stage/CKillCountManager.h"
#include "Stage/StageTestEnv.h"
#include "StageData/CEnemyCreator.h"

#include <memory>

class CombatTest : public StageTest {
protected:
    static constexpr SPointD kPartyWorld{752.0, 784.0};

    void SetUp() override {
        StageTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        fPlaceParty(kPartyWorld);
    }

    SPointD fToMap(SPointD screen) { return terrain().fToMap(screen); }
    SPointD fPartyScreen() { return party().mPosition; }

    // An enemy of a kind at a screen position, made at the stage's current rank.
    CEnemy& fSpawn(EEnemyKind kind, SPointD screen) {
        CEnemy& e = stage().fGetNewEnemy();
        CEnemyCreator::fCreate(e, kind, stage(), fToMap(screen), {0.0, 0.0}, -1);
        return e;
    }
    // The same, already seen on screen, so that it can be hurt at once.
    CEnemy& fSpawnSeen(EEnemyKind kind, SPointD screen) {
        CEnemy& e = fSpawn(kind, screen);
        e.mNotYetOnScreen = false;
        return e;
    }

    static void fHit(CEnemy& e, int attack, const std::shared_ptr<CKillCountManager>& counter = nullptr,
                     bool burns = false, SKnockRecord knock = {}) {
        e.fDamage(burns, knock, counter, attack);
    }

    // Frames of the enemies only: no party, bullets, effects or collision.
    void fEnemyFrames(int n) {
        for (int i = 0; i < n; ++i) {
            std::vector<CEnemy*>& active = stage().fGetEnemies();
            for (size_t k = 0; k < active.size(); ++k) {
                active[k]->fUpdate();
            }
        }
    }
    void fStageFrames(int n) {
        for (int i = 0; i < n; ++i) {
            stage().fUpdate();
        }
    }

    int fCountEffects(int imageHandle) {
        int n = 0;
        for (CEffect* e : stage().fGetEffects()) {
            if (e->fIsAlive() && !e->mDrawData.cels.empty() && e->mDrawData.cels[0].handle == imageHandle) {
                ++n;
            }
        }
        return n;
    }
};
