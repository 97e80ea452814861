#include "Stage/CEffect.h"
#include "Stage/CObjectPool.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// A pool of effects with every object tagged by its creation index (kept in the speed field).
class ObjectPoolTest : public ::testing::Test {
protected:
    void fFill(objectPool<CEffect>& pool, size_t n) {
        int made = 0;
        pool.fFill(n, [&made] {
            auto e = std::make_unique<CEffect>();
            e->mSpeed = made++;
            return e;
        });
    }

    static int fTag(const CEffect* e) { return static_cast<int>(e->mSpeed); }

    static std::vector<int> fTags(const std::vector<CEffect*>& list) {
        std::vector<int> out;
        for (const CEffect* e : list) {
            out.push_back(fTag(e));
        }
        return out;
    }

    // Takes n objects into the active list, each alive.
    static void fActivate(objectPool<CEffect>& pool, size_t n) {
        for (size_t i = 0; i < n; ++i) {
            pool.fGetNew().fSetAlive(true);
        }
    }
};

// The partition written out step by step: what fCollectDead must leave in the active list and append to
// the free list.
struct SPartition {
    std::vector<int> active;
    std::vector<int> freed;
};

SPartition fReferencePartition(std::vector<int> tags, const std::vector<bool>& alive) {
    std::vector<bool> a = alive;
    size_t i = 0;
    size_t j = tags.size();
    bool stop = false;
    while (!stop) {
        while (i < j && a[i]) {
            ++i;
        }
        if (i == j) {
            break;
        }
        for (;;) {
            --j;
            if (i == j) {
                stop = true;
                break;
            }
            if (a[j]) {
                std::swap(tags[i], tags[j]);
                std::vector<bool>::swap(a[i], a[j]);
                ++i;
                stop = i == j;
                break;
            }
        }
    }
    return {std::vector<int>(tags.begin(), tags.begin() + static_cast<long>(i)),
            std::vector<int>(tags.begin() + static_cast<long>(i), tags.end())};
}

} // namespace

TEST_F(ObjectPoolTest, GetNewTakesTheLastFreeObjectAndAppendsItToTheActiveList) {
    objectPool<CEffect> pool;
    fFill(pool, 4);
    EXPECT_EQ(fTags(pool.fGetFree()), (std::vector<int>{0, 1, 2, 3}));
    CEffect& first = pool.fGetNew();
    EXPECT_EQ(fTag(&first), 3);
    CEffect& second = pool.fGetNew();
    EXPECT_EQ(fTag(&second), 2);
    EXPECT_EQ(fTags(pool.fGetFree()), (std::vector<int>{0, 1}));
    EXPECT_EQ(fTags(pool.fGetActive()), (std::vector<int>{3, 2}));
    EXPECT_EQ(pool.fGetTotal(), 4u);
}

TEST_F(ObjectPoolTest, ExhaustedPoolHandsOutTheSpareWithADiagnostic) {
    objectPool<CEffect> pool;
    fFill(pool, 2);
    testing::internal::CaptureStdout();
    CEffect* a = &pool.fGetNew();
    CEffect* b = &pool.fGetNew();
    const std::string quiet = testing::internal::GetCapturedStdout();
    EXPECT_EQ(quiet, "");
    EXPECT_NE(a, b);

    testing::internal::CaptureStdout();
    CEffect* c = &pool.fGetNew();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "GetNew Max Over!\n");
    EXPECT_EQ(c, &pool.fGetSpareSlot());
    EXPECT_NE(c, a);
    EXPECT_NE(c, b);
    // The spare belongs to neither list.
    EXPECT_EQ(pool.fGetActive().size(), 2u);
    EXPECT_TRUE(pool.fGetFree().empty());
    EXPECT_EQ(pool.fGetTotal(), 2u);
}

TEST_F(ObjectPoolTest, CollectDeadMovesTheLastLiveObjectIntoTheGap) {
    objectPool<CEffect> pool;
    fFill(pool, 4);
    fActivate(pool, 4); // active: 3, 2, 1, 0 (A, B, C, D)
    std::vector<CEffect*> abcd = pool.fGetActive();
    abcd[1]->fKill();
    pool.fCollectDead();
    EXPECT_EQ(pool.fGetActive(), (std::vector<CEffect*>{abcd[0], abcd[3], abcd[2]}));
    ASSERT_EQ(pool.fGetFree().size(), 1u);
    EXPECT_EQ(pool.fGetFree().back(), abcd[1]);
}

TEST_F(ObjectPoolTest, CollectDeadAppendsToTheEndOfTheFreeList) {
    objectPool<CEffect> pool;
    fFill(pool, 5);
    fActivate(pool, 3); // active 4, 3, 2; free 0, 1
    pool.fGetActive()[0]->fKill();
    pool.fCollectDead();
    EXPECT_EQ(fTags(pool.fGetActive()), (std::vector<int>{2, 3}));
    EXPECT_EQ(fTags(pool.fGetFree()), (std::vector<int>{0, 1, 4}));
    // The object just freed is the next one handed out.
    EXPECT_EQ(fTag(&pool.fGetNew()), 4);
}

TEST_F(ObjectPoolTest, CollectDeadHandlesAllNoneAndAlternatingDeaths) {
    struct SCase {
        const char* name;
        std::vector<bool> alive;
        std::vector<int> active; // tags left, in order
        std::vector<int> freed;  // tags appended to the free list, in order
    };
    // Active lists are built as tags 0..n-1 in order (see below).
    const std::vector<SCase> cases{
        {"all dead", {false, false, false, false}, {}, {0, 1, 2, 3}},
        {"none dead", {true, true, true, true}, {0, 1, 2, 3}, {}},
        {"alternating, first dead", {false, true, false, true, false}, {3, 1}, {2, 0, 4}},
        {"alternating, first alive", {true, false, true, false, true}, {0, 4, 2}, {3, 1}},
        {"dead run in the middle", {true, false, false, true, false}, {0, 3}, {2, 1, 4}},
        {"only the last dead", {true, true, true, false}, {0, 1, 2}, {3}},
        {"only the first dead", {false, true, true, true}, {3, 1, 2}, {0}},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        objectPool<CEffect> pool;
        const size_t n = c.alive.size();
        fFill(pool, n);
        // Free holds 0..n-1 and fGetNew takes from the back: reverse so that the active list reads 0..n-1.
        std::reverse(pool.fGetFree().begin(), pool.fGetFree().end());
        fActivate(pool, n);
        std::vector<int> inOrder(n);
        for (size_t k = 0; k < n; ++k) {
            inOrder[k] = static_cast<int>(k);
        }
        ASSERT_EQ(fTags(pool.fGetActive()), inOrder);
        for (size_t k = 0; k < n; ++k) {
            pool.fGetActive()[k]->fSetAlive(c.alive[k]);
        }
        pool.fCollectDead();
        EXPECT_EQ(fTags(pool.fGetActive()), c.active);
        EXPECT_EQ(fTags(pool.fGetFree()), c.freed);
    }
}

TEST_F(ObjectPoolTest, CollectDeadFollowsThePartitionForEveryPatternUpToSevenObjects) {
    for (size_t n = 0; n <= 7; ++n) {
        for (unsigned mask = 0; mask < (1u << n); ++mask) {
            objectPool<CEffect> pool;
            fFill(pool, n + 2);
            fActivate(pool, n); // tags n+1 down to 2; free keeps 0, 1
            std::vector<bool> alive(n);
            for (size_t k = 0; k < n; ++k) {
                alive[k] = ((mask >> k) & 1u) != 0;
                pool.fGetActive()[k]->fSetAlive(alive[k]);
            }
            const SPartition expected = fReferencePartition(fTags(pool.fGetActive()), alive);
            pool.fCollectDead();
            SCOPED_TRACE("n=" + std::to_string(n) + " mask=" + std::to_string(mask));
            EXPECT_EQ(fTags(pool.fGetActive()), expected.active);
            std::vector<int> free{0, 1};
            free.insert(free.end(), expected.freed.begin(), expected.freed.end());
            EXPECT_EQ(fTags(pool.fGetFree()), free);
            for (const CEffect* e : pool.fGetActive()) {
                EXPECT_TRUE(e->fIsAlive());
            }
            EXPECT_EQ(pool.fGetTotal(), n + 2);
        }
    }
}

TEST_F(ObjectPoolTest, ReleaseAllFreesEveryObjectAndMarksItDead) {
    objectPool<CEffect> pool;
    fFill(pool, 4);
    fActivate(pool, 3); // active 3, 2, 1; free 0
    pool.fGetFree()[0]->fSetAlive(true);
    pool.fReleaseAll();
    EXPECT_TRUE(pool.fGetActive().empty());
    EXPECT_EQ(fTags(pool.fGetFree()), (std::vector<int>{0, 3, 2, 1}));
    for (const CEffect* e : pool.fGetFree()) {
        EXPECT_FALSE(e->fIsAlive());
    }
}

TEST_F(ObjectPoolTest, ForEachStopsAtTheFirstNonZeroAnswer) {
    objectPool<CEffect> pool;
    fFill(pool, 4);
    fActivate(pool, 4); // active 3, 2, 1, 0
    std::vector<int> seen;
    const int r = pool.fForEach([&seen](CEffect& e) {
        seen.push_back(static_cast<int>(e.mSpeed));
        return e.mSpeed == 1.0 ? 7 : 0;
    });
    EXPECT_EQ(r, 7);
    EXPECT_EQ(seen, (std::vector<int>{3, 2, 1}));
    seen.clear();
    EXPECT_EQ(pool.fForEach([&seen](CEffect& e) {
        seen.push_back(static_cast<int>(e.mSpeed));
        return 0;
    }),
              0);
    EXPECT_EQ(seen.size(), 4u);
}
