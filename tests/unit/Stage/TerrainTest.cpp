#include "ScratchFolder.h"
#include "Stage/CGeographicalFeatures.h"
#include "Stage/Collision.h"
#include "Stage/StageTestEnv.h"
#include "base/CException.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {
const char* const kChips = "dat/image/mapchip/chips2.png";
const char* const kTown = "dat/town3.csv";

// A layer of a small map, [row][column].
using SLayer = std::vector<std::vector<int>>;

SLayer fFilled(int rows, int columns, int chip) {
    return SLayer(static_cast<size_t>(rows), std::vector<int>(static_cast<size_t>(columns), chip));
}

std::string fRow(const std::vector<int>& row) {
    std::string line;
    for (size_t i = 0; i < row.size(); ++i) {
        line += (i == 0 ? "" : ",") + std::to_string(row[i]);
    }
    return line;
}

// The map file text: four blocks, each followed by one line that is not read.
std::vector<std::string> fMapLines(const std::vector<SLayer>& layers) {
    std::vector<std::string> lines;
    for (const SLayer& layer : layers) {
        for (const auto& row : layer) {
            lines.push_back(fRow(row));
        }
        lines.push_back("separator,not,read");
    }
    return lines;
}

void fWriteLines(const std::string& path, const std::vector<std::string>& lines) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (const std::string& l : lines) {
        out << l << "\n";
    }
}

class TerrainTest : public StageGlobalsTest {
protected:
    std::unique_ptr<CGeographicalFeatures> fLoad(int rows, int columns, const std::string& path) {
        return std::make_unique<CGeographicalFeatures>(rows, columns, path, kChips, SPointD(320.0, 240.0),
                                                       nullptr);
    }

    // The message of the exception that loading `lines` as a 3 x 3 map raises.
    std::string fLoadError(const std::vector<std::string>& lines) {
        const std::string path = mScratch.file("broken.csv");
        fWriteLines(path, lines);
        try {
            fLoad(3, 3, path);
        } catch (const CException& e) {
            return e.what();
        }
        ADD_FAILURE() << "no exception for a malformed map";
        return "";
    }

    CScratchFolder mScratch;
};

// 3 x 3 map: ground chip 7 everywhere, overlay empty, collision: solid 0 at column 1 row 1, chip 1 at
// column 0 row 0, empty elsewhere.
std::vector<SLayer> fSmallMap() {
    SLayer collision = fFilled(3, 3, 255);
    collision[1][1] = 0;
    collision[0][0] = 1;
    return {fFilled(3, 3, 7), fFilled(3, 3, 7), fFilled(3, 3, 255), collision};
}
} // namespace

TEST_F(TerrainTest, SmallMapPlacesChipsAtTheirCentresAndOnlyCollisionZeroIsSolid) {
    const std::string path = mScratch.file("small.csv");
    fWriteLines(path, fMapLines(fSmallMap()));
    const auto t = fLoad(3, 3, path);
    EXPECT_DOUBLE_EQ(t->fGetRight(), 48.0);
    EXPECT_DOUBLE_EQ(t->fGetBottom(), 48.0);

    const CMapObject* ground = t->fGetObject(0, 2, 1);
    ASSERT_NE(ground, nullptr);
    EXPECT_EQ(ground->mPosition, SPointD(40.0, 24.0));
    EXPECT_TRUE(ground->mHitRects.empty());
    EXPECT_EQ(t->fGetObject(2, 1, 1), nullptr); // 255: no object

    const CMapObject* solid = t->fGetObject(CGeographicalFeatures::kCollisionLayer, 1, 1);
    ASSERT_NE(solid, nullptr);
    ASSERT_EQ(solid->mHitRects.size(), 1u);
    EXPECT_DOUBLE_EQ(solid->mHitRects[0].width, 16.0);
    EXPECT_DOUBLE_EQ(solid->mHitRects[0].height, 16.0);
    const CMapObject* soft = t->fGetObject(CGeographicalFeatures::kCollisionLayer, 0, 0);
    ASSERT_NE(soft, nullptr);
    EXPECT_TRUE(soft->mHitRects.empty());
    EXPECT_EQ(t->fGetObject(CGeographicalFeatures::kCollisionLayer, 2, 2), nullptr);
    EXPECT_EQ(t->fGetObject(0, 3, 0), nullptr); // outside
    EXPECT_EQ(t->fGetObject(0, -1, 0), nullptr);

    const auto blocked = [&t](double x, double y) { return t->fIsBlocked({x, y}, {SRectD(x, y, 4.0, 4.0)}); };
    EXPECT_TRUE(blocked(24.0, 24.0));  // on the solid chip
    EXPECT_FALSE(blocked(8.0, 8.0));   // collision chip 1 blocks nothing
    EXPECT_FALSE(blocked(40.0, 40.0)); // empty chip
    EXPECT_FALSE(blocked(14.0, 24.0)); // rectangle 12 .. 16 touches the solid chip's left edge
    EXPECT_TRUE(blocked(14.1, 24.0));
}

TEST_F(TerrainTest, PositionsOutsideTheMapAreBlocked) {
    const std::string path = mScratch.file("small.csv");
    fWriteLines(path, fMapLines(fSmallMap()));
    const auto t = fLoad(3, 3, path);
    EXPECT_TRUE(t->fIsBlocked({-0.1, 40.0}, {}));
    EXPECT_TRUE(t->fIsBlocked({40.0, -0.1}, {}));
    EXPECT_TRUE(t->fIsBlocked({48.1, 40.0}, {}));
    EXPECT_TRUE(t->fIsBlocked({40.0, 48.1}, {}));
    EXPECT_TRUE(t->fIsBlocked({-500.0, -500.0}, {}));
    // The bounds themselves are inside.
    EXPECT_FALSE(t->fIsBlocked({0.0, 40.0}, {}));
    EXPECT_FALSE(t->fIsBlocked({48.0, 48.0}, {}));
}

TEST_F(TerrainTest, TerrainHitsAreReportedOncePerOverlappingRectangle) {
    const std::string path = mScratch.file("small.csv");
    fWriteLines(path, fMapLines(fSmallMap()));
    const auto t = fLoad(3, 3, path);
    int hits = 0;
    const std::vector<SRectD> two{SRectD(24.0, 24.0, 4.0, 4.0), SRectD(26.0, 24.0, 4.0, 4.0)};
    t->fForEachTerrainHit({24.0, 24.0}, two, [&hits] { ++hits; });
    EXPECT_EQ(hits, 2);
    hits = 0;
    t->fForEachTerrainHit({8.0, 40.0}, {SRectD(8.0, 40.0, 4.0, 4.0)}, [&hits] { ++hits; });
    EXPECT_EQ(hits, 0);
}

TEST_F(TerrainTest, CellRangeIsClampedToTheMap) {
    const auto t = fLoad(80, 80, kTown);
    const auto expectRange = [&t](SPointI cell, int reachX, int reachY, SCellRange want) {
        const SCellRange r = t->fGetCellRange(cell, reachX, reachY);
        EXPECT_EQ(r.x0, want.x0) << cell.x << "," << cell.y;
        EXPECT_EQ(r.x1, want.x1) << cell.x << "," << cell.y;
        EXPECT_EQ(r.y0, want.y0) << cell.x << "," << cell.y;
        EXPECT_EQ(r.y1, want.y1) << cell.x << "," << cell.y;
    };
    expectRange({40, 30}, 2, 2, {38, 42, 28, 32});
    expectRange({0, 0}, 2, 2, {0, 2, 0, 2});
    expectRange({1, 78}, 2, 2, {0, 3, 76, 79});
    expectRange({79, 79}, 1, 1, {78, 79, 78, 79});
    expectRange({-1, 80}, 1, 1, {0, 0, 79, 79});
    expectRange({10, 10}, 20, 16, {0, 30, 0, 26});
}

TEST_F(TerrainTest, TownMapLoadsItsCollisionLayer) {
    const auto t = fLoad(80, 80, kTown);
    int solid = 0;
    int open = 0;
    for (int c = 0; c < 80; ++c) {
        for (int r = 0; r < 80; ++r) {
            const CMapObject* o = t->fGetObject(CGeographicalFeatures::kCollisionLayer, c, r);
            if (o != nullptr && !o->mHitRects.empty()) {
                ++solid;
                EXPECT_EQ(o->mPosition, SPointD(c * 16.0 + 8.0, r * 16.0 + 8.0));
            } else {
                ++open;
            }
        }
    }
    EXPECT_GT(solid, 0);
    EXPECT_GT(open, 0);
}

TEST_F(TerrainTest, CameraFollowsThePartyInsideTheMargins) {
    const auto t = fLoad(80, 80, kTown);
    t->fSetCamera({640.0, 640.0});

    SPointD p{320.0, 170.0};
    EXPECT_EQ(t->fScrollFor(p), -1);
    EXPECT_DOUBLE_EQ(p.y, 180.0);
    EXPECT_DOUBLE_EQ(t->fGetCamera().y, 630.0);

    p = {320.0, 310.0};
    t->fScrollFor(p);
    EXPECT_DOUBLE_EQ(p.y, 300.0);
    EXPECT_DOUBLE_EQ(t->fGetCamera().y, 640.0);

    p = {250.0, 240.0};
    EXPECT_EQ(t->fScrollFor(p), -1);
    EXPECT_DOUBLE_EQ(p.x, 256.0);
    EXPECT_DOUBLE_EQ(t->fGetCamera().x, 634.0);

    p = {390.0, 240.0};
    EXPECT_EQ(t->fScrollFor(p), -1);
    EXPECT_DOUBLE_EQ(p.x, 384.0);
    EXPECT_DOUBLE_EQ(t->fGetCamera().x, 640.0);

    // Inside the margins nothing moves.
    p = {256.0, 180.0};
    EXPECT_EQ(t->fScrollFor(p), -1);
    EXPECT_EQ(p, SPointD(256.0, 180.0));
    EXPECT_EQ(t->fGetCamera(), SPointD(640.0, 640.0));
    EXPECT_DOUBLE_EQ(t->fGetScrollX(), 320.0 - 640.0);
    EXPECT_DOUBLE_EQ(t->fGetScrollY(), 240.0 - 640.0);
}

TEST_F(TerrainTest, CameraStopsAtTheMapEdgesAndThePartyWalksOn) {
    const auto t = fLoad(80, 80, kTown);

    // Left edge.
    t->fSetCamera({322.0, 640.0});
    SPointD p{250.0, 240.0};
    EXPECT_EQ(t->fScrollFor(p), 1);
    EXPECT_DOUBLE_EQ(t->fGetCamera().x, 320.0);
    EXPECT_DOUBLE_EQ(p.x, 250.0);

    // Right edge.
    t->fSetCamera({958.0, 640.0});
    p = {390.0, 240.0};
    EXPECT_EQ(t->fScrollFor(p), 0);
    EXPECT_DOUBLE_EQ(t->fGetCamera().x, 960.0);
    EXPECT_DOUBLE_EQ(p.x, 390.0);

    // Top and bottom: no edge is reported for them.
    t->fSetCamera({640.0, 240.0});
    p = {320.0, 100.0};
    EXPECT_EQ(t->fScrollFor(p), -1);
    EXPECT_DOUBLE_EQ(t->fGetCamera().y, 240.0);
    EXPECT_DOUBLE_EQ(p.y, 100.0);

    t->fSetCamera({640.0, 1040.0});
    p = {320.0, 400.0};
    EXPECT_EQ(t->fScrollFor(p), -1);
    EXPECT_DOUBLE_EQ(t->fGetCamera().y, 1040.0);
    EXPECT_DOUBLE_EQ(p.y, 400.0);
}

TEST_F(TerrainTest, CameraNeverLeavesTheMapWhileThePartyWalksAcrossIt) {
    const auto t = fLoad(80, 80, kTown);
    t->fSetCamera({640.0, 640.0});
    SPointD p{320.0, 240.0};
    const auto walk = [&](SPointD step, int frames) {
        for (int i = 0; i < frames; ++i) {
            p = p + step;
            t->fScrollFor(p);
            const SPointD cam = t->fGetCamera();
            ASSERT_GE(cam.x, 320.0);
            ASSERT_LE(cam.x, 960.0);
            ASSERT_GE(cam.y, 240.0);
            ASSERT_LE(cam.y, 1040.0);
        }
    };
    walk({-2.4, -2.4}, 400);
    EXPECT_EQ(t->fGetCamera(), SPointD(320.0, 240.0));
    EXPECT_LT(p.x, 256.0); // the party has walked on towards the screen edge
    EXPECT_LT(p.y, 180.0);
    walk({2.4, 2.4}, 800);
    EXPECT_EQ(t->fGetCamera(), SPointD(960.0, 1040.0));
    EXPECT_GT(p.x, 384.0);
    EXPECT_GT(p.y, 300.0);
}

TEST_F(TerrainTest, MalformedMapsNameTheFileAndLine) {
    std::vector<std::string> lines = fMapLines(fSmallMap());
    // Line 6 (1-based) is row 1 of layer 1.
    lines[5] = "7,x,7";
    std::string message = fLoadError(lines);
    EXPECT_NE(message.find("broken.csv"), std::string::npos) << message;
    EXPECT_NE(message.find("line 6"), std::string::npos) << message;

    lines = fMapLines(fSmallMap());
    lines[1] = "7,7"; // a missing field
    message = fLoadError(lines);
    EXPECT_NE(message.find("broken.csv"), std::string::npos) << message;
    EXPECT_NE(message.find("line 2"), std::string::npos) << message;

    lines = fMapLines(fSmallMap());
    lines[13] = "255,256,255"; // collision chips stop at 255
    message = fLoadError(lines);
    EXPECT_NE(message.find("broken.csv"), std::string::npos) << message;
    EXPECT_NE(message.find("line 14"), std::string::npos) << message;

    lines = fMapLines(fSmallMap());
    lines[0] = "7,8192,7"; // the chip sheet has 8192 chips
    message = fLoadError(lines);
    EXPECT_NE(message.find("line 1:"), std::string::npos) << message;

    lines = fMapLines(fSmallMap());
    lines[9] = "-1,7,7";
    message = fLoadError(lines);
    EXPECT_NE(message.find("line 10"), std::string::npos) << message;

    lines = fMapLines(fSmallMap());
    lines.resize(14); // the collision layer lacks its last row
    message = fLoadError(lines);
    EXPECT_NE(message.find("broken.csv"), std::string::npos) << message;
    EXPECT_NE(message.find("14"), std::string::npos) << message;

    EXPECT_THROW(fLoad(3, 3, mScratch.file("missing.csv")), CException);
}

TEST_F(TerrainTest, LargestChipNumbersAndWindowsLineEndsAreAccepted) {
    std::vector<SLayer> layers = fSmallMap();
    layers[0][2][2] = 8191;
    layers[3][2][2] = 254;
    std::vector<std::string> lines = fMapLines(layers);
    for (std::string& l : lines) {
        l += "\r";
    }
    const std::string path = mScratch.file("crlf.csv");
    fWriteLines(path, lines);
    const auto t = fLoad(3, 3, path);
    EXPECT_NE(t->fGetObject(0, 2, 2), nullptr);
    EXPECT_NE(t->fGetObject(CGeographicalFeatures::kCollisionLayer, 2, 2), nullptr);
}

TEST_F(TerrainTest, AFailedLoadGivesBackEveryImageHandle) {
    const std::string chips = std::filesystem::absolute(kChips).string();
    const std::string good = mScratch.file("good.csv");
    fWriteLines(good, fMapLines(fSmallMap()));
    std::vector<std::string> lines = fMapLines(fSmallMap());
    lines[13] = "255,256,255";
    const std::string damaged = mScratch.file("damaged.csv");
    fWriteLines(damaged, lines);
    CScratchFolder noCollisionSheet;

    const int before = dx_GetLiveGraphCount();
    {
        const auto t = fLoad(3, 3, good);
        EXPECT_EQ(dx_GetLiveGraphCount(), before + 8192 + 256);
    }
    EXPECT_EQ(dx_GetLiveGraphCount(), before);

    struct Case {
        const char* what;
        std::string map;
        std::filesystem::path folder; // the working directory, where the collision sheet is looked for
    };
    const Case cases[] = {
        {"a damaged map", damaged, std::filesystem::current_path()},
        {"a missing map", mScratch.file("missing.csv"), std::filesystem::current_path()},
        {"no collision sheet", good, noCollisionSheet.path()},
    };
    for (const Case& c : cases) {
        const CWorkingDirectoryGuard in(c.folder);
        EXPECT_THROW(CGeographicalFeatures(3, 3, c.map, chips, SPointD(320.0, 240.0), nullptr), CException)
            << c.what;
        EXPECT_EQ(dx_GetLiveGraphCount(), before) << c.what;
    }
}
