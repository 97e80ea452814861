// Renders the pictures of the fight for the documentation: every enemy kind in the town, a hit flash with
// its life bar, a burnt silhouette, a multi-kill badge, a mini sushi bursting on a wall, a wave of enemies
// appearing in a hunting ground, the four shots of the two weapons and a charge being gathered. It builds a
// real stage on the offscreen backend, places the actors, runs the stage's own frames and saves the screen.
// Usage: tavoni_showcase OUTPUT_FOLDER, run from the game folder (the one holding dat/).
#include "GameMain/CFpsTimer.h"
#include "GameMain/COptionInfo.h"
#include "GameMain/CProfiler.h"
#include "GameMain/GameMain.h"
#include "GameMain/GameRecords.h"
#include "ShowcaseMain.h"
#include "Stage/CEffectCreator.h"
#include "Stage/CEnemyBulletCreator.h"
#include "Stage/CKillCountManager.h"
#include "Stage/CStage.h"
#include "StageData/CEnemyCreator.h"
#include "StageData/CEnemyGenerator.h"
#include "ToolGlobals.h"
#include "Ziki/CZiki.h"
#include "Ziki/CZikiBulletCreator.h"
#include "Ziki/CZikiSprites.h"
#include "audio/CSoundManager.h"
#include "base/CRandom.h"
#include "input/CKeyManager.h"
#include "render/CImageManager.h"

#include <cstdio>
#include <dx/DxLib.h>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>

namespace {

void fFrames(CStage& stage, int n) {
    for (int i = 0; i < n; ++i) {
        gKeyManager->fUpdate();
        stage.fInput();
        stage.fUpdate();
    }
}

bool fSave(CStage& stage, const std::string& path) {
    dx_ClsDrawScreen();
    stage.fDraw();
    const bool ok = dx_SaveDrawScreenToPNG(0, 0, 640, 480, path.c_str()) == 0;
    dx_ScreenFlip();
    std::printf("%s %s\n", ok ? "wrote" : "could not write", path.c_str());
    return ok;
}

// The party's map position once the camera has settled on it; the pictures are laid out around it.
SPointD fParty(CStage& stage) {
    fFrames(stage, 1);
    return stage.fGetParty()->fGetWorldPosition();
}

bool fEveryKind(const std::string& folder) {
    CStage stage("", false);
    const SPointD p = fParty(stage);
    const SPointD spots[6] = {{-60, -110}, {40, -150}, {150, -120}, {-40, 70}, {190, 40}, {80, 120}};
    for (int kind = 0; kind < 6; ++kind) {
        CEnemyCreator::fCreate(stage.fGetNewEnemy(), static_cast<EEnemyKind>(kind), stage, p + spots[kind],
                               {0.0, 0.0}, -1);
    }
    fFrames(stage, 40);
    return fSave(stage, folder + "/combat_enemies.png");
}

bool fHitsAndBursts(const std::string& folder) {
    CStage stage("", false);
    stage.fAddRank(5);
    const SPointD p = fParty(stage);
    // A pig hit once: it flashes and shows its life bar.
    CEnemy& pig = stage.fGetNewEnemy();
    CEnemyCreator::fCreate(pig, ENEMY_PIG, stage, p + SPointD(-40.0, -90.0), {0.0, 0.0}, -1);
    // A wheat killed by a burning shot: a black silhouette that fades.
    CEnemy& wheat = stage.fGetNewEnemy();
    CEnemyCreator::fCreate(wheat, ENEMY_KOMUGI, stage, p + SPointD(110.0, -100.0), {0.0, 0.0}, -1);
    // Three sheep killed by one attack: the second and third show their badges.
    auto attack = std::make_shared<CKillCountManager>();
    CEnemy* sheep[3];
    for (int i = 0; i < 3; ++i) {
        sheep[i] = &stage.fGetNewEnemy();
        CEnemyCreator::fCreate(*sheep[i], ENEMY_SEEP, stage, p + SPointD(110.0 + 45.0 * i, 25.0), {0.0, 0.0},
                               -1);
    }
    fFrames(stage, 2); // everything has been on screen once
    for (int i = 0; i < 3; ++i) {
        sheep[i]->fDamage(false, {}, attack, 1000);
        fFrames(stage, 1);
    }
    pig.fDamage(false, {6, 45.0, 1.0}, nullptr, 20);
    wheat.fDamage(true, {}, nullptr, 1000);
    // The sheep die as their 20-frame flashes end; their badges blink for a second.
    fFrames(stage, 18);
    // A mini sushi that met a wall crumbles into rice and seaweed.
    CBullet& sushi = stage.fGetNewEnemyBullet();
    CEnemyBulletCreator::fCreate(sushi, nullptr, ENEMY_BULLET_MINI_SUSHI, stage, p + SPointD(40.0, -110.0),
                                 0.0, 0.0);
    sushi.fOnHit();
    // The pig's body shows on frames 3 to 5 of every 6 of its flash.
    fFrames(stage, 1);
    while (pig.fGetCounter() % 6 != 4) {
        fFrames(stage, 1);
    }
    return fSave(stage, folder + "/combat_effects.png");
}

// A wave in progress in the pigs' meadow: its outline, the first wave out and the next one's markers
// blinking.
bool fWave(const std::string& folder) {
    CStage stage("", false);
    stage.fAddRank(9); // five enemies may be out, so the second wave is not held back
    // The party in the middle of the meadow, the camera as high as it goes.
    const SPointD world{784.0, 256.0};
    const SPointD camera{784.0, 240.0};
    stage.fGetTerrain().fSetCamera(camera);
    stage.fGetParty()->mPosition = world - camera + SPointD(320.0, 240.0);
    const CEnemyGenerateAreaBase& meadow = stage.fGetEnemyGenerator()->fGetArea(1);
    // The first wave comes at once, the second when the meadow's timer runs out.
    fFrames(stage, 1);
    while (meadow.fGetWaveTimer() != 1) {
        fFrames(stage, 1);
    }
    // A few frames into the second wave, on a frame where its markers show.
    fFrames(stage, 12);
    return fSave(stage, folder + "/waves.png");
}

// Frames in which the party holds the attack key (or not) and walks, as the stage's input would have it.
void fPartyFrames(CStage& stage, int n, bool attackHeld, EDirectionTenkey dir = EDirectionTenkey::NEUTRAL) {
    CZiki& party = *stage.fGetParty();
    for (int i = 0; i < n; ++i) {
        if (attackHeld) {
            party.fFire();
        } else {
            party.fFireRelease();
        }
        party.fMove(dir);
        stage.fUpdate();
    }
}

CEnemy& fEnemyAt(CStage& stage, EEnemyKind kind, SPointD at) {
    CEnemy& e = stage.fGetNewEnemy();
    CEnemyCreator::fCreate(e, kind, stage, at, {0.0, 0.0}, -1);
    return e;
}

void fShot(CStage& stage, EZikiShotKind kind, SPointD at, double angle, double speed) {
    CZikiBulletCreator::fCreate(stage.fGetNewPlayerBullet(), *stage.fGetParty(), kind, stage, at, angle,
                                speed);
}

// The four shots in one picture: Pelka has just let go of a charged slash among sheep, a plain slash cuts a
// wheat, a fireball has burst on a pig with the next one on its way, and a flame wall burns a seaweed can and
// a rice bale. The enemies come only at the end, so that nothing hits the party while she gathers the charge.
bool fWeapons(const std::string& folder) {
    CStage stage("", false);
    const SPointD p = fParty(stage);
    // The party stands at (384, 300) on the screen, on the road.
    fPartyFrames(stage, 1 + 19 + 40 - 3, true); // a push, then Z held through the cool-down and the charge
    CEnemy* sheep = nullptr;
    for (const SPointD at : {SPointD(-44.0, -10.0), SPointD(44.0, -6.0), SPointD(6.0, 44.0)}) {
        sheep = &fEnemyAt(stage, ENEMY_SEEP, p + at);
    }
    const SPointD wheat = p + SPointD(60.0, -200.0);
    fEnemyAt(stage, ENEMY_KOMUGI, wheat);
    const SPointD pig = p + SPointD(-100.0, 45.0);
    fEnemyAt(stage, ENEMY_PIG, pig);
    const SPointD flames = p + SPointD(131.0, -58.0); // on the road going north
    fEnemyAt(stage, ENEMY_SEAWOOD_CAN, flames + SPointD(-22.0, -34.0));
    fEnemyAt(stage, ENEMY_KOMEDAWARA, flames + SPointD(24.0, -30.0));
    fPartyFrames(stage, 2, true); // the enemies have been on screen once
    fShot(stage, ZIKI_SHOT_FIREBALL, pig + SPointD(-30.0, 0.0), 90.0, 6.0);
    fShot(stage, ZIKI_SHOT_FLAME_WALL, flames, 0.0, 6.0);
    fShot(stage, ZIKI_SHOT_FLAME_WALL, flames + SPointD(32.0, 8.0), 0.0, 6.0);
    fShot(stage, ZIKI_SHOT_FLAME_WALL, flames + SPointD(-32.0, 8.0), 0.0, 6.0);
    fPartyFrames(stage, 1, true);
    fPartyFrames(stage, 1, false); // the release: six cuts around her
    fShot(stage, ZIKI_SHOT_FIREBALL, pig + SPointD(-100.0, 0.0), 90.0, 6.0);
    fShot(stage, ZIKI_SHOT_SLASH, wheat + SPointD(0.0, 20.0), 0.0, 0.0);
    fPartyFrames(stage, 3, false);
    // Hit enemies blink: take the picture while they show.
    while (sheep->fGetCounter() % 6 < 3) {
        fPartyFrames(stage, 1, false);
    }
    return fSave(stage, folder + "/weapons.png");
}

// Tosca gathering a charge for a flame wall: the aura around her and the full gauge under her.
bool fCharging(const std::string& folder) {
    CStage stage("", false);
    stage.fGetParty()->fChangeLeader();
    const SPointD p = fParty(stage);
    fEnemyAt(stage, ENEMY_SEAWOOD_CAN, p + SPointD(-30.0, 170.0));
    fEnemyAt(stage, ENEMY_KOMEDAWARA, p + SPointD(120.0, 150.0));
    fPartyFrames(stage, 1 + 19 + 80, true);
    // The full gauge blinks; show it lit.
    while (stage.fGetParty()->fGetCounter() % 10 >= 5) {
        fPartyFrames(stage, 1, true);
    }
    return fSave(stage, folder + "/weapons_charge.png");
}

} // namespace

int main(int argc, char** argv) {
    return fShowcaseMain("tavoni_showcase", argc, argv, [](const std::string& folder) {
        return fEveryKind(folder) && fHitsAndBursts(folder) && fWave(folder) && fWeapons(folder) &&
               fCharging(folder);
    });
}
