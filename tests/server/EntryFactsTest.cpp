// What an entry's page is made of, without a server: the run read from the game's report, and the pictures
// checked before they are served.
#include "PngFile.h"
#include "SRunSummary.h"
#include "ServerTestSupport.h"

using namespace servertest;

TEST(EntryFacts, TheRunIsReadFromTheGamesReportOrNotAtAll) {
    const std::string played =
        "SCREEN_WIDTH=640.000000\nreplay upload.replay: 8934 frames, score 2050, 139 ms "
        "(64222 frames/s)\ndigest cc751fc7e992f228\n";
    const std::string stats = "stats kills 9,3,6,6,10,10 multi 2 faints 1 dishes 3 combo 2 rank 3 shots "
                              "52,0,0,0 swaps 0 grounds 1111 eaten ";
    const struct {
        std::string output;
        std::optional<SRunSummary> run;
    } cases[] = {
        {played + stats + "1,2,0\n", SRunSummary{8934, {1, 2, 0}, 44, 3, 1}},
        // Nothing eaten; and later fields after "eaten" are for later readers.
        {played + "stats kills 0,0,0,0,0,0 multi 0 faints 0 dishes 0 combo 0 rank 0 shots 0,0,0,0 swaps 0 "
                  "grounds 0000 eaten - more 1\n",
         SRunSummary{8934, {}, 0, 0, 0}},
        // A game from before the dishes were named, or one that said nothing or nonsense: not known.
        {played + "stats kills 9,3,6,6,10,10 multi 2 faints 1 dishes 3 combo 2 rank 3 shots 52,0,0,0 swaps 0 "
                  "grounds 1111\n",
         std::nullopt},
        {"", std::nullopt},
        {stats + "1,2,0\n", std::nullopt},
        {played + stats + "1,2\n", std::nullopt},    // fewer dishes named than counted
        {played + stats + "1,2,10\n", std::nullopt}, // no dish 10
        {played + stats + "1,,2\n", std::nullopt},   // a hole in the list
        {played + stats + "\n", std::nullopt},       // no list at all
        {played + "stats kills 9,3,6 multi 2 faints 1 dishes 0 combo 2 rank 3 shots 52,0,0,0 swaps 0 grounds "
                  "1111 eaten -\n",
         std::nullopt}, // kills of three kinds
        {played +
             "stats kills 9,3,6,6,10,10 multi 2 faints -1 dishes 0 combo 2 rank 3 shots 52,0,0,0 swaps 0 "
             "grounds 1111 eaten -\n",
         std::nullopt},
        {played + "stats kills 2147483647,1,0,0,0,0 multi 2 faints 1 dishes 0 combo 2 rank 3 shots 52,0,0,0 "
                  "swaps 0 grounds 1111 eaten -\n",
         std::nullopt}, // past any run
        {played +
             "stats kills 9,3,6,6,10,10 multi 2 faints 1 dishes 0 combo 2 rank 300 shots 52,0,0,0 swaps 0 "
             "grounds 1111 eaten -\n",
         std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fParseRunReport(c.output), c.run) << c.output;
    }
    // As a store keeps the dishes: the list and back.
    EXPECT_EQ(fFormatDishList({3, 0, 9}), "3,0,9");
    EXPECT_EQ(fParseDishList("3,0,9"), (std::vector<int>{3, 0, 9}));
    EXPECT_EQ(fParseDishList(""), std::vector<int>{});
    for (const char* bad : {"3,", ",3", "3;4", "12", "a"}) {
        EXPECT_EQ(fParseDishList(bad), std::nullopt) << bad;
    }
}

TEST(EntryFacts, OnlyAWholeUndamagedPictureOfTheScreensSizePasses) {
    const std::string sound = fMakePng(640, 480);
    EXPECT_EQ(fCheckPng(sound, 640, 480), "");
    std::string flipped = sound;
    flipped[flipped.size() / 2] ^= 0x20;
    const struct {
        std::string bytes;
        const char* why;
    } cases[] = {
        {sound.substr(0, sound.size() - 12), "cut short"},
        {sound.substr(0, 40), "cut short"},
        {flipped, "damaged (a chunk's CRC does not hold)"},
        {sound + "x", "bytes after its end"},
        {fMakePng(320, 240), "not 640 x 480"},
        {"GIF89a", "not a PNG"},
        {"", "not a PNG"},
        {sound.substr(0, 33) + sound.substr(sound.size() - 12), "no pixels"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fCheckPng(c.bytes, 640, 480), c.why);
    }
}
