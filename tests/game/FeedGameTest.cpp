// Feeding Varno seen from outside: a scripted run that hunts the ingredients of his wishes and feeds him
// twice. The clock on the HUD jumps forward, the dishes appear on the result screen, their bonus is in the
// final score, and the stored replay reaches the same score from the command line.
#include "GameRunner.h"
#include "ScreenshotCheck.h"

#include "Ziki/CFoodTables.h"
#include "Ziki/CZiki.h"
#include "base/TimeText.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {
const std::filesystem::path kImages = std::filesystem::path(TAVONI_SOURCE_DIR) / "dat" / "image";

struct SFeedScript {
    std::string text;
    std::vector<int> fedAt; // loop frames in which a dish was eaten
    int timeUpAt = -1;
};

// The script and the frames its comments name (the bot that wrote it notes when it fed and when time ran
// out).
SFeedScript fReadFeedScript() {
    std::ifstream in(std::filesystem::path(TAVONI_SOURCE_DIR) / "tests/game/input/feed_varno.txt");
    std::stringstream s;
    s << in.rdbuf();
    SFeedScript script{s.str(), {}, -1};
    const std::regex fed("# fed dish [0-9]+ at frame ([0-9]+)");
    for (auto it = std::sregex_iterator(script.text.begin(), script.text.end(), fed);
         it != std::sregex_iterator(); ++it) {
        script.fedAt.push_back(std::stoi((*it)[1]));
    }
    std::smatch m;
    if (std::regex_search(script.text, m, std::regex("# time up at frame ([0-9]+)"))) {
        script.timeUpAt = std::stoi(m[1]);
    }
    return script;
}

struct SMeal {
    int dish;
    int timeBefore;
    int timeAfter;
};

std::vector<SMeal> fMeals(const std::string& out) {
    std::vector<SMeal> meals;
    const std::regex line("stage fed dish ([0-9]+): time ([0-9]+) -> ([0-9]+)\n");
    for (auto it = std::sregex_iterator(out.begin(), out.end(), line); it != std::sregex_iterator(); ++it) {
        meals.push_back({std::stoi((*it)[1]), std::stoi((*it)[2]), std::stoi((*it)[3])});
    }
    return meals;
}

// Does the HUD clock of the screenshot read `frames` of time left?
bool fClockShows(CScreenshotCheck& check, const std::filesystem::path& shot, int frames) {
    const std::string text = fFramesToTimeText(frames);
    for (size_t i = 0; i < text.size(); ++i) {
        if (!check.fShows(shot, kImages / CZiki::fGetTimeCharImage(text[i]), 22 * static_cast<int>(i), 32)) {
            return false;
        }
    }
    return true;
}
} // namespace

TEST(FeedGame, FeedingExtendsTheClockAndTheDishesScoreOnTheResultScreen) {
    const SFeedScript script = fReadFeedScript();
    ASSERT_EQ(script.fedAt.size(), 2u) << "regenerate the script with scripts/feedbot";
    ASSERT_GT(script.timeUpAt, script.fedAt.back());
    const int fedAt = script.fedAt.front();
    // Time up, result and tip take 240 frames each; the result is shown in the middle of its turn.
    const int resultAt = script.timeUpAt + 240 + 120;
    const int endAt = script.timeUpAt + 3 * 240 + 10;

    CGameFolder folder;
    const SGameResult live =
        folder.fRunWithInput(script.text, {"--seed", "7", "--frames", std::to_string(endAt), "--trace-stage",
                                           "--screenshot", std::to_string(fedAt - 1) + ":before.png",
                                           "--screenshot", std::to_string(fedAt + 2) + ":after.png",
                                           "--screenshot", std::to_string(resultAt) + ":result.png"});
    ASSERT_EQ(live.exitCode, 0) << live.err;

    // Both dishes were eaten, and each put time on the clock.
    const std::vector<SMeal> meals = fMeals(live.out);
    ASSERT_EQ(meals.size(), 2u) << live.out;
    for (const SMeal& meal : meals) {
        EXPECT_GT(meal.timeAfter, meal.timeBefore);
    }

    // The player sees the jump on the HUD: the clock of the frame before, then the extended one.
    CScreenshotCheck check;
    ASSERT_TRUE(check.fIsStarted());
    EXPECT_TRUE(fClockShows(check, folder / "before.png", meals[0].timeBefore));
    // The feeding frame and the two after it each take a frame off the extended time.
    EXPECT_TRUE(fClockShows(check, folder / "after.png", meals[0].timeAfter - 3));
    EXPECT_FALSE(fClockShows(check, folder / "after.png", meals[0].timeBefore));

    // The result screen lists the dishes eaten, in order, and nothing after them.
    for (size_t i = 0; i < meals.size(); ++i) {
        const auto dish = static_cast<EFoodType>(meals[i].dish);
        EXPECT_TRUE(check.fShows(folder / "result.png", kImages / fGetFoodImageName(dish),
                                 100 + 34 * static_cast<int>(i), 100))
            << "dish " << i;
    }
    EXPECT_FALSE(
        check.fShows(folder / "result.png", kImages / fGetFoodImageName(FOOD_HOTDOG), 100 + 34 * 2, 100));

    // The bonus went onto the score once, and the stored score is that total.
    std::smatch bonus;
    ASSERT_TRUE(
        std::regex_search(live.out, bonus, std::regex("stage bonus ([0-9]+): score ([0-9]+) -> ([0-9]+)\n")))
        << live.out;
    EXPECT_GT(std::stoi(bonus[1]), 0);
    EXPECT_EQ(std::stoi(bonus[3]), std::stoi(bonus[2]) + std::stoi(bonus[1]));
    std::smatch end;
    ASSERT_TRUE(std::regex_search(live.out, end, std::regex("stage end: score ([0-9]+)\n"))) << live.out;
    const std::string total = end[1];
    EXPECT_EQ(total, bonus[3]);

    // The stored replay plays the run again to the same final score.
    const SGameResult replay =
        folder.fRun({"--no-render", "--replay", "dat/replay/replay", "--expect-score", total});
    EXPECT_EQ(replay.exitCode, 0) << replay.out << replay.err;
    EXPECT_NE(replay.out.find(", score " + total + ", "), std::string::npos) << replay.out;
    // Its report names the dishes, in eating order, at the end of the stats line.
    const std::string eaten = " eaten " + std::to_string(meals[0].dish) + "," + std::to_string(meals[1].dish);
    EXPECT_NE(replay.out.find(eaten + "\n"), std::string::npos) << replay.out;

    // Played for its result screen (the ranking's picture of the run): the same screen the player saw.
    const SGameResult shot = folder.fRun({"--replay", "dat/replay/replay", "--expect-score", total,
                                          "--result-screenshot", "replay-result.png"});
    EXPECT_EQ(shot.exitCode, 0) << shot.out << shot.err;
    EXPECT_NE(shot.out.find(eaten + "\n"), std::string::npos) << shot.out;
    EXPECT_EQ(fPngSize(folder / "replay-result.png"), std::make_pair(640, 480));
    for (size_t i = 0; i < meals.size(); ++i) {
        EXPECT_TRUE(check.fShows(folder / "replay-result.png",
                                 kImages / fGetFoodImageName(static_cast<EFoodType>(meals[i].dish)),
                                 100 + 34 * static_cast<int>(i), 100))
            << "dish " << i;
    }
    // It needs a replay to play and pixels to save.
    EXPECT_EQ(folder.fRun({"--result-screenshot", "x.png"}).exitCode, 2);
    EXPECT_EQ(folder.fRun({"--no-render", "--replay", "dat/replay/replay", "--result-screenshot", "x.png"})
                  .exitCode,
              2);
}
