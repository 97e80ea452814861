// What happened in a run, counted as it plays: what the ranking's entry page and the replay corpus tell
// about a run. Only counted, never read by play, so it is no part of the state digest.
#pragma once

#include <array>
#include <string>
#include <vector>

struct SRunStats {
    static constexpr int kEnemyKinds = 6;
    static constexpr int kShotKinds = 4;
    static constexpr int kGrounds = 4;
    static constexpr int kBigMultiKill = 3;

    std::array<int, kEnemyKinds> kills{}; // by enemy kind
    int bestMultiKill = 0;                // most enemies one attack killed
    int bigMultiKills = 0;                // attacks that killed kBigMultiKill or more
    int faints = 0;
    int dishes = 0;
    int bestCombo = 0; // most dishes eaten in quick succession
    int bestRank = 0;
    std::array<int, kShotKinds> shots{}; // bullets fired: slash, charged slash, fireball, flame wall
    int leaderSwaps = 0;
    std::array<bool, kGrounds> groundsVisited{};
    std::vector<int> eaten; // the dishes, in the order they were eaten (the result screen's icons)

    int fTotalKills() const;
    // One line, "stats kills A,B,C,D,E,F multi M faints F dishes D combo C rank R shots S,C,F,W swaps N
    // grounds 1010 eaten 0,2,1" ("eaten -" for none), in this order, for --replay's report. Readers take
    // fields by position, so new ones only ever go at the end.
    std::string fFormat() const;
};
