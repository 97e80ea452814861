// Plays a run in-process with a simple-minded player and writes the keys it pressed as an input script for
// `tavoni --input`: it walks to the hunting ground that drops what Varno's current wish needs, slashes what
// comes near, picks up the ingredients, walks back to the pen and feeds him. With the same seed the real
// game follows the same run, so whole-game tests get a run that feeds Varno without a hand-made script.
//
//   tavoni_feedbot --seed N --dishes K --offset F [--prefix LINE]... [STYLE]... OUT.txt
//
// The play style (for the replay corpus, which needs runs of every kind):
//   --tosca          lead with Tosca (X at the start)
//   --swap-every S   swap the heroines every S frames
//   --charged        charge every attack and let it go once CROWD enemies are near (or after 3 s)
//   --crowd N        with --charged, how many enemies must be near (1)
//   --combo          gather the next dish's ingredients too, and feed both in a row
//   --idle-at G      walk to hunting ground G (1-4) and stand there without fighting (a faint)
//
// F is the loop frame of the stage's first input in the real game, the frame after the one that started the
// run (which already updates the new stage);
// each --prefix line is copied before the bot's keys. Comment lines record when each dish was eaten.
#include "GameMain/COptionInfo.h"
#include "GameMain/GameRecords.h"
#include "Stage/CItem.h"
#include "Stage/CStage.h"
#include "Stage/CVarno.h"
#include "Stage/Collision.h"
#include "ToolGlobals.h"
#include "Ziki/CZiki.h"
#include "input/CKeyManagerBase.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <dx/DxLib.h>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {
constexpr int kCells = 80;
constexpr int kCell = 16;

// Keys set by the bot for the next frame, with the game's push latch.
class CBotKeys : public CKeyManagerBase {
public:
    std::array<bool, 28> held{};

    void fUpdate() override {}
    bool fIsDown(EGameKey key) override { return held[static_cast<size_t>(key)]; }
    bool fIsKeyboardPushed(EGameKey key) override { return fIsPush(key, true); }
    bool fIsHold(EGameKey key) override { return held[static_cast<size_t>(key)]; }
    bool fIsPush(EGameKey key, bool trigger) override {
        if (!trigger) {
            return fIsHold(key);
        }
        return fApplyPushLatch(mLatch[static_cast<size_t>(key)], fIsHold(key));
    }
    int fGetPressedJoypadButton() override { return -1; }
    void fSetupPadButtonFromSetting() override {}

private:
    std::array<bool, 28> mLatch{};
};

struct SKeyName {
    EGameKey key;
    const char* name;
};
constexpr SKeyName kKeys[] = {{EGameKey::DOWN, "Down"}, {EGameKey::LEFT, "Left"}, {EGameKey::RIGHT, "Right"},
                              {EGameKey::UP, "Up"},     {EGameKey::KEY_Z, "Z"},   {EGameKey::KEY_X, "X"}};

struct SStyle {
    bool tosca = false;
    int swapEvery = 0;
    bool charged = false;
    int crowd = 1;
    bool combo = false;
    int idleAt = 0;
};

// The middle cell of each hunting ground, numbered as the generator's areas.
constexpr SPointI kGrounds[4] = {{14, 14}, {49, 16}, {13, 57}, {67, 48}};

// Where each ingredient is hunted: the middle cell of the ground whose waves drop it.
SPointI fHuntingGround(int itemKind) {
    switch (itemKind) {
    case ITEM_FLOUR:
        return {14, 14};
    case ITEM_MUTTON:
    case ITEM_PORK:
        return {49, 16};
    case ITEM_EGG:
        return {13, 57};
    default:
        return {67, 48};
    }
}

class CBot {
public:
    CBot(CStage& stage, CBotKeys& keys, SStyle style) : mStage(stage), mKeys(keys), mStyle(style) {
        for (int r = 0; r < kCells; ++r) {
            for (int c = 0; c < kCells; ++c) {
                mOpen[static_cast<size_t>(r * kCells + c)] = !fBlockedAt(fCellPosition({c, r}));
            }
        }
    }

    // Decides the keys of the next frame.
    void fThink(bool feedMore, int frame) {
        const bool charging = mKeys.held[static_cast<size_t>(EGameKey::KEY_Z)] && mCharging;
        mKeys.held = {};
        CZiki& party = *mStage.fGetParty();
        const SPointD at = party.fGetWorldPosition();
        CVarno& varno = *mStage.fGetVarno();
        if ((mStyle.tosca && frame == 0) ||
            (mStyle.swapEvery > 0 && frame > 0 && frame % mStyle.swapEvery == 0)) {
            mKeys.held[static_cast<size_t>(EGameKey::KEY_X)] = true;
            return;
        }
        if (mStyle.idleAt > 0) {
            const SPointD spot = fCellPosition(kGrounds[(mStyle.idleAt - 1) % 4]);
            if (mStyle.charged && at.fGetDistance(spot) < 24.0) {
                // Stand and charge; let go only into a crowd, then push again on the next frame.
                const bool ready = party.fGetWeapon().fIsChargeReady();
                mKeys.held[static_cast<size_t>(EGameKey::KEY_Z)] =
                    !(charging && ready && fEnemiesNear(at, 48.0) >= mStyle.crowd);
                mCharging = mKeys.held[static_cast<size_t>(EGameKey::KEY_Z)];
                return;
            }
            fWalkTo(at, spot);
            return;
        }
        if (charging) {
            // Keep the charge until the gauge is full and enough enemies are near, then let go.
            ++mChargeFrames;
            const bool ready = party.fGetWeapon().fIsChargeReady();
            if (!ready || (fEnemiesNear(at, 56.0) < mStyle.crowd && mChargeFrames < 180)) {
                mKeys.held[static_cast<size_t>(EGameKey::KEY_Z)] = true;
                if (const CEnemy* enemy = fNearestEnemy(at, 250.0)) {
                    fWalkTo(at, enemy->mPosition);
                }
                return;
            }
            mCharging = false;
        }
        if (!feedMore) {
            fWalkTo(at, fCellPosition({41, 42})); // out of harm's way in the middle of the town
            return;
        }
        const EFoodType wish = varno.fGetOrders().front();
        SIngredients recipe = fGetRecipe(wish);
        const SIngredients& carried = party.fGetIngredients();
        const bool canCookFirst = fCanCook(wish, carried);
        if (mStyle.combo && varno.fGetOrders().size() >= 2 && !(canCookFirst && mFeeding)) {
            // Enough for this dish and the next, so that the second follows the first at once.
            const SIngredients& next = fGetRecipe(varno.fGetOrders()[1]);
            for (size_t k = 0; k < recipe.size(); ++k) {
                recipe[k] = std::min(recipe[k] + next[k], 10);
            }
        }
        std::optional<int> missing;
        for (int k = 0; k < ITEM_TYPE_COUNT; ++k) {
            if (carried[static_cast<size_t>(k)] < recipe[static_cast<size_t>(k)]) {
                missing = k;
                break;
            }
        }
        mFeeding = !missing || (mFeeding && canCookFirst);
        if (!missing || mFeeding) {
            if (at.fGetDistance(varno.mPosition) < 24.0) {
                // One push, then let go so that the next frame can push again.
                mKeys.held[static_cast<size_t>(EGameKey::KEY_Z)] = !mZLastFrame;
                mZLastFrame = !mZLastFrame;
            } else {
                fWalkTo(at, varno.mPosition);
            }
            return;
        }
        if (const CItem* item = fNearestWanted(at, recipe, carried)) {
            fWalkTo(at, item->mPosition);
            return;
        }
        if (const CEnemy* enemy = fNearestEnemy(at, 250.0)) {
            if (mStyle.charged && party.fGetWeapon().fGetCoolDown() <= 0 && !party.fIsBusy()) {
                // Push and keep holding: the charge follows the plain shot.
                mKeys.held[static_cast<size_t>(EGameKey::KEY_Z)] = true;
                mCharging = true;
                mChargeFrames = 0;
                return;
            }
            if (at.fGetDistance(enemy->mPosition) < 36.0) {
                fAttack(at, enemy->mPosition);
            } else {
                fWalkTo(at, enemy->mPosition);
            }
            return;
        }
        fWalkTo(at, fCellPosition(fHuntingGround(*missing)));
    }

private:
    static SPointD fCellPosition(SPointI cell) {
        // The party's centre when its feet stand in the middle of the cell.
        return {cell.x * kCell + 8.0, cell.y * kCell + 8.0 - 8.0};
    }
    bool fBlockedAt(SPointD world) const {
        return mStage.fGetTerrain().fIsBlocked(world, {SRectD(world.x, world.y + 8.0, 8.0, 8.0)});
    }
    bool fOpen(int c, int r) const {
        return c >= 0 && c < kCells && r >= 0 && r < kCells && mOpen[static_cast<size_t>(r * kCells + c)];
    }
    // Keeps a free cell on each side so that the feet never scrape a wall on the way.
    bool fRoomy(int c, int r) const {
        for (int dr = -1; dr <= 1; ++dr) {
            for (int dc = -1; dc <= 1; ++dc) {
                if (!fOpen(c + dc, r + dr)) {
                    return false;
                }
            }
        }
        return true;
    }
    static SPointI fFootCell(SPointD world) { return fToMapCell(world + SPointD(0.0, 8.0)); }

    // The next cell to head for on a shortest roomy path, or the goal itself when nothing better is known.
    SPointD fNextStep(SPointD from, SPointD goal) const {
        const SPointI start = fFootCell(from);
        const SPointI end = fFootCell(goal);
        if (start.x == end.x && start.y == end.y) {
            return goal;
        }
        std::vector<int> previous(kCells * kCells, -1);
        std::deque<SPointI> queue{start};
        previous[static_cast<size_t>(start.y * kCells + start.x)] = start.y * kCells + start.x;
        while (!queue.empty()) {
            const SPointI c = queue.front();
            queue.pop_front();
            if (c.x == end.x && c.y == end.y) {
                break;
            }
            static constexpr int kSteps[8][2] = {{1, 0}, {-1, 0}, {0, 1},  {0, -1},
                                                 {1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
            for (const auto& s : kSteps) {
                const SPointI n{c.x + s[0], c.y + s[1]};
                const bool isEnd = n.x == end.x && n.y == end.y;
                if (!fOpen(n.x, n.y) || (!fRoomy(n.x, n.y) && !isEnd)) {
                    continue;
                }
                // Diagonals only where both straight neighbours are open too.
                if (s[0] != 0 && s[1] != 0 && (!fOpen(c.x + s[0], c.y) || !fOpen(c.x, c.y + s[1]))) {
                    continue;
                }
                int& p = previous[static_cast<size_t>(n.y * kCells + n.x)];
                if (p < 0) {
                    p = c.y * kCells + c.x;
                    queue.push_back(n);
                }
            }
        }
        int at = end.y * kCells + end.x;
        if (previous[static_cast<size_t>(at)] < 0) {
            return goal;
        }
        const int origin = start.y * kCells + start.x;
        // Two cells ahead, so that the walk does not stop at every cell.
        std::vector<int> path;
        while (at != origin) {
            path.push_back(at);
            at = previous[static_cast<size_t>(at)];
        }
        const int next = path[path.size() >= 2 ? path.size() - 2 : path.size() - 1];
        if (path.size() <= 2) {
            return goal;
        }
        return fCellPosition({next % kCells, next / kCells});
    }

    void fHold(double dx, double dy) {
        const double dead = 1.5;
        mKeys.held[static_cast<size_t>(EGameKey::LEFT)] = dx < -dead;
        mKeys.held[static_cast<size_t>(EGameKey::RIGHT)] = dx > dead;
        mKeys.held[static_cast<size_t>(EGameKey::UP)] = dy < -dead;
        mKeys.held[static_cast<size_t>(EGameKey::DOWN)] = dy > dead;
    }

    void fWalkTo(SPointD at, SPointD goal) {
        // A party that has not moved for a while is caught on a corner: step aside for a moment.
        if (at.fGetDistance(mLastPosition) < 0.5) {
            ++mStuckFrames;
        } else {
            mStuckFrames = 0;
        }
        mLastPosition = at;
        if (mSidestep > 0) {
            --mSidestep;
            fHold(mSidestepDirection.x, mSidestepDirection.y);
            return;
        }
        if (mStuckFrames > 20 && at.fGetDistance(goal) > 4.0) {
            mStuckFrames = 0;
            mSidestep = 12;
            mRoll = mRoll * 1103515245u + 12345u;
            const int d = static_cast<int>((mRoll >> 16) % 4);
            mSidestepDirection = d == 0   ? SPointD(8, 0)
                                 : d == 1 ? SPointD(-8, 0)
                                 : d == 2 ? SPointD(0, 8)
                                          : SPointD(0, -8);
            fHold(mSidestepDirection.x, mSidestepDirection.y);
            return;
        }
        const SPointD next = fNextStep(at, goal);
        fHold(next.x - at.x, next.y - at.y);
    }

    // Turn towards the enemy on one frame, slash on the next, let go on the third.
    void fAttack(SPointD at, SPointD target) {
        mAttackPhase = (mAttackPhase + 1) % 3;
        if (mAttackPhase == 0) {
            fHold(target.x - at.x, target.y - at.y);
        } else if (mAttackPhase == 1) {
            mKeys.held[static_cast<size_t>(EGameKey::KEY_Z)] = true;
        }
    }

    const CItem* fNearestWanted(SPointD at, const SIngredients& recipe, const SIngredients& carried) const {
        const CItem* best = nullptr;
        double bestDistance = 320.0;
        for (const CItem* item : mStage.fGetItems()) {
            const size_t k = static_cast<size_t>(item->mKind);
            if (!item->fIsAlive() || k >= recipe.size() || carried[k] >= recipe[k]) {
                continue;
            }
            const double d = at.fGetDistance(item->mPosition);
            if (d < bestDistance) {
                best = item;
                bestDistance = d;
            }
        }
        return best;
    }

    int fEnemiesNear(SPointD at, double reach) const {
        int n = 0;
        for (const CEnemy* enemy : mStage.fGetEnemies()) {
            n += enemy->fIsAlive() && at.fGetDistance(enemy->mPosition) < reach;
        }
        return n;
    }

    const CEnemy* fNearestEnemy(SPointD at, double reach) const {
        const CEnemy* best = nullptr;
        double bestDistance = reach;
        for (const CEnemy* enemy : mStage.fGetEnemies()) {
            const double d = at.fGetDistance(enemy->mPosition);
            if (enemy->fIsAlive() && d < bestDistance) {
                best = enemy;
                bestDistance = d;
            }
        }
        return best;
    }

    CStage& mStage;
    CBotKeys& mKeys;
    SStyle mStyle;
    bool mCharging = false;
    int mChargeFrames = 0;
    bool mFeeding = false;
    std::array<bool, kCells * kCells> mOpen{};
    bool mZLastFrame = false;
    int mAttackPhase = 0;
    SPointD mLastPosition;
    int mStuckFrames = 0;
    int mSidestep = 0;
    SPointD mSidestepDirection;
    unsigned mRoll = 1;
};

int fUsage() {
    std::fprintf(stderr, "usage: tavoni_feedbot --seed N --dishes K --offset F [--prefix LINE]... [--tosca] "
                         "[--swap-every S] [--charged] [--crowd N] [--combo] [--idle-at G] OUT.txt\n");
    return 2;
}
} // namespace

int main(int argc, char** argv) {
    int seed = -1;
    int dishes = 1;
    int offset = -1;
    std::vector<std::string> prefix;
    std::string out;
    SStyle style;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--seed" && i + 1 < argc) {
            seed = std::atoi(argv[++i]);
        } else if (a == "--dishes" && i + 1 < argc) {
            dishes = std::atoi(argv[++i]);
        } else if (a == "--offset" && i + 1 < argc) {
            offset = std::atoi(argv[++i]);
        } else if (a == "--prefix" && i + 1 < argc) {
            prefix.emplace_back(argv[++i]);
        } else if (a == "--tosca") {
            style.tosca = true;
        } else if (a == "--swap-every" && i + 1 < argc) {
            style.swapEvery = std::atoi(argv[++i]);
        } else if (a == "--charged") {
            style.charged = true;
        } else if (a == "--crowd" && i + 1 < argc) {
            style.crowd = std::atoi(argv[++i]);
        } else if (a == "--combo") {
            style.combo = true;
        } else if (a == "--idle-at" && i + 1 < argc) {
            style.idleAt = std::atoi(argv[++i]);
        } else if (out.empty() && a.rfind("--", 0) != 0) {
            out = a;
        } else {
            return fUsage();
        }
    }
    if (seed < 0 || offset < 0 || out.empty()) {
        return fUsage();
    }

    fLoadSetting();
    dx_SetBackend(DxBackend::Null);
    if (dx_DxLib_Init() != 0) {
        std::fprintf(stderr, "tavoni_feedbot: the media layer did not start\n");
        return 1;
    }
    fCreateToolGlobals(false, seed);
    auto keys = std::make_unique<CBotKeys>();
    CBotKeys& botKeys = *keys;
    gKeyManager = std::move(keys);
    std::vector<std::string> lines;
    std::vector<std::string> notes;
    {
        // The run's generator starts from the seed right before the stage is built, as a new run's does.
        gRandom = std::make_unique<CRandom>(seed);
        CStage stage("", false);
        CBot bot(stage, botKeys, style);
        // The frame that started the run updates the new stage before it ever reads a key.
        stage.fUpdate();
        std::array<bool, 28> before{};
        // FEEDBOT_TRACE=1 prints the bot's state once a second of play.
        const bool trace = std::getenv("FEEDBOT_TRACE") != nullptr;
        int fed = 0;
        int frames = 0;
        for (int frame = 0; stage.fGetSpecialState() == nullptr && frame < 20000; ++frame) {
            frames = frame + 1;
            // The first frames stay empty: the keys that started the run are still being let go.
            if (frame >= 4) {
                bot.fThink(fed < dishes, frame - 4);
            }
            for (const SKeyName& k : kKeys) {
                const size_t i = static_cast<size_t>(k.key);
                if (botKeys.held[i] != before[i]) {
                    lines.push_back(std::to_string(offset + frame) + (botKeys.held[i] ? " down " : " up ") +
                                    k.name);
                }
            }
            before = botKeys.held;
            if (trace && frame % 60 == 0) {
                const SPointD w = stage.fGetParty()->fGetWorldPosition();
                const SIngredients& c = stage.fGetParty()->fGetIngredients();
                std::printf("%5d at %.0f,%.0f wish %d carry %d%d%d%d%d%d enemies %zu items %zu\n", frame, w.x,
                            w.y, static_cast<int>(stage.fGetVarno()->fGetOrders().front()), c[0], c[1], c[2],
                            c[3], c[4], c[5], stage.fGetEnemies().size(), stage.fGetItems().size());
            }
            const int time = stage.fGetTimeLeft();
            stage.fInput();
            stage.fUpdate();
            const int eaten = static_cast<int>(stage.fGetVarno()->fGetEaten().size());
            if (eaten > fed) {
                fed = eaten;
                const EFoodType dish = stage.fGetVarno()->fGetEaten().back();
                notes.push_back("# fed dish " + std::to_string(static_cast<int>(dish)) + " at frame " +
                                std::to_string(offset + frame) + " (time " + std::to_string(time) + " -> " +
                                std::to_string(stage.fGetTimeLeft()) + ")");
            }
        }
        notes.push_back("# time up at frame " + std::to_string(offset + frames - 1));
        std::printf("fed %d dish(es), score %d before the bonus\n%s\n", fed, stage.fGetScore(),
                    stage.fGetStats().fFormat().c_str());
        stage.fDispose();
    }
    std::ofstream file(out);
    std::string command = "tavoni_feedbot";
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        // The output path says nothing about the run.
        if (a != out) {
            command += a.find(' ') == std::string::npos ? " " + a : " \"" + a + "\"";
        }
    }
    file << "# Written by " << command
         << ": a run that hunts the ingredients of Varno's wishes and feeds him.\n";
    for (const std::string& n : notes) {
        file << n << "\n";
    }
    for (const std::string& p : prefix) {
        file << p << "\n";
    }
    for (const std::string& l : lines) {
        file << l << "\n";
    }
    gKeyManager.reset();
    fReleaseToolGlobals();
    dx_DxLib_End();
    gOptionInfo.reset();
    return file ? 0 : 1;
}
