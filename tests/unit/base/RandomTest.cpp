#include "GameMain/CProfiler.h"
#include "base/CPair.h"
#include "base/CRandom.h"

#include <climits>
#include <gtest/gtest.h>
#include <random>
#include <regex>

namespace {
std::int32_t reference(std::uint32_t engine, std::int32_t min, std::int32_t max) {
    const std::int64_t signedValue = static_cast<std::int32_t>(engine);
    const std::int64_t magnitude = signedValue < 0 ? -signedValue : signedValue;
    return static_cast<std::int32_t>(min + magnitude % (static_cast<std::int64_t>(max) - min + 1));
}
} // namespace

TEST(RandomTest, Seed5489StartsWithTheReferenceValue) {
    CRandom random(5489);
    EXPECT_EQ(random.fGetSeed(), 5489);
    EXPECT_EQ(random.fNext(), 3499211612u);
    EXPECT_EQ(random.fGetCount(), 1);
}

TEST(RandomTest, MatchesStdMt19937ForManySeeds) {
    for (std::int64_t s = -1500; s < 1500; ++s) {
        const auto seed = static_cast<std::int32_t>(s * 7919);
        CRandom random(seed);
        std::mt19937 expected(static_cast<std::uint32_t>(seed));
        for (int i = 0; i < 1000; ++i) {
            const std::uint32_t value = random.fNext();
            const std::uint32_t want = expected();
            if (value != want) {
                FAIL() << "seed " << seed << " draw " << i;
            }
        }
    }
}

TEST(RandomTest, GetRandMapsOneEngineValueByMagnitude) {
    CRandom random(777);
    std::mt19937 engine(777u);
    const std::pair<std::int32_t, std::int32_t> ranges[] = {
        {0, 9}, {-5, 5}, {1, 2}, {0, 999}, {INT_MIN, INT_MAX}};
    for (int i = 0; i < 5000; ++i) {
        const auto [min, max] = ranges[i % 5];
        const std::int32_t got = random.fGetRand(min, max);
        EXPECT_EQ(got, reference(engine(), min, max));
        EXPECT_GE(got, min);
        EXPECT_LE(got, max);
    }
    EXPECT_EQ(random.fGetCount(), 5000);
}

TEST(RandomTest, MagnitudeOfTheMostNegativeValueIsTwoToThe31) {
    EXPECT_EQ(CRandom::fMapToRange(0x80000000u, 0, 9), 8); // 2147483648 mod 10
    EXPECT_EQ(CRandom::fMapToRange(0x80000000u, 1, 3), 3); // 2147483648 mod 3 = 2
    EXPECT_EQ(CRandom::fMapToRange(0x80000000u, INT_MIN, INT_MAX), 0);
    EXPECT_EQ(CRandom::fMapToRange(0xFFFFFFFFu, 0, 9), 1); // -1 has magnitude 1
    EXPECT_EQ(CRandom::fMapToRange(0x7FFFFFFFu, 0, 1), 1);
    for (std::uint32_t v : {0u, 1u, 0x7FFFFFFFu, 0x80000000u, 0x80000001u, 0xFFFFFFFFu}) {
        for (auto [min, max] :
             {std::pair{-3, 4}, std::pair{INT_MIN, INT_MIN + 1}, std::pair{INT_MAX - 2, INT_MAX}}) {
            const std::int32_t got = CRandom::fMapToRange(v, min, max);
            EXPECT_GE(got, min);
            EXPECT_LE(got, max);
        }
    }
}

TEST(RandomTest, EqualBoundsDrawNothing) {
    CRandom random(42);
    CRandom fresh(42);
    EXPECT_EQ(random.fGetRand(3, 3), 3);
    EXPECT_EQ(random.fGetCount(), 0);
    random.fGetRand(0, 9);
    EXPECT_EQ(random.fGetCount(), 1);
    fresh.fNext();
    EXPECT_EQ(random.fNext(), fresh.fNext());
}

TEST(RandomTest, SameSeedSameSequence) {
    CRandom a(1000);
    CRandom b(1000);
    for (int i = 0; i < 200; ++i) {
        const std::int32_t max = i % 17 + 1;
        const std::int32_t fromA = a.fGetRand(0, max);
        const std::int32_t fromB = b.fGetRand(0, max);
        EXPECT_EQ(fromA, fromB);
    }
}

TEST(RandomTest, RestoreContinuesTheSequence) {
    for (const std::int32_t n : {0, 1, 623, 624, 625, 1500}) {
        CRandom played(99);
        for (std::int32_t i = 0; i < n + 3; ++i) {
            played.fNext();
        }
        played.fRestore(n);
        EXPECT_EQ(played.fGetCount(), n);
        CRandom fresh(99);
        for (std::int32_t i = 0; i < n; ++i) {
            fresh.fNext();
        }
        EXPECT_EQ(played.fNext(), fresh.fNext()) << n;
    }
}

TEST(RandomTest, ConstructorsPrintTheirDiagnostics) {
    testing::internal::CaptureStdout();
    { CRandom seeded(-12); }
    { CRandom unseeded; }
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "gRandom this(int = -12)\ngRandom this()\n");
}

TEST(RandomDeathTest, MinAboveMaxIsAProgrammingError) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    CRandom random(1);
    EXPECT_DEATH(random.fGetRand(5, 3), "fGetRand needs min <= max");
}

// ---- profiler ------------------------------------------------------------------------------------------

TEST(ProfilerTest, DisabledProfilerMeasuresNothing) {
    CProfiler profiler;
    EXPECT_FALSE(profiler.fIsEnabled());
    profiler.fMeasureEnd("never started");
    profiler.fMeasureStart("col 01");
    profiler.fMeasureEnd("col 01");
    EXPECT_EQ(profiler.fGetResult(), "");
}

TEST(ProfilerTest, ResultListsEveryNameInOrder) {
    CProfiler profiler;
    profiler.fToggle();
    EXPECT_TRUE(profiler.fIsEnabled());
    for (int i = 0; i < 2; ++i) {
        profiler.fMeasureStart("col 01");
        profiler.fMeasureEnd("col 01");
    }
    profiler.fMeasureStart("a");
    profiler.fMeasureEnd("a");
    const std::regex format(
        R"(a: call\(1\) total\(\d+\) average\([0-9.e+-]+\)col 01: call\(2\) total\(\d+\) )"
        R"(average\([0-9.e+-]+\))");
    EXPECT_TRUE(std::regex_match(profiler.fGetResult(), format)) << profiler.fGetResult();
    profiler.fToggle();
    profiler.fMeasureStart("b");
    EXPECT_EQ(profiler.fGetResult().find("b:"), std::string::npos);
}

TEST(ProfilerDeathTest, EndingAnUnknownNameWhileEnabledIsAProgrammingError) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    CProfiler profiler;
    profiler.fToggle();
    EXPECT_DEATH(profiler.fMeasureEnd("nothing"), "fMeasureEnd InType not found");
}

TEST(PairTest, HoldsBothValues) {
    const CPair<std::string, int> named("image/a.png", 7);
    EXPECT_EQ(named.first, "image/a.png");
    EXPECT_EQ(named.second, 7);
    const CPair<bool, std::string> listing(true, "folder");
    EXPECT_TRUE(listing.first);
    EXPECT_EQ(listing.second, "folder");
}
