// What the server's own check saw of a run: the game prints it after playing the replay ("replay FILE: N
// frames, ..." and "stats kills ... eaten 3,1"), and each entry keeps it to show what the run was.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct SRunSummary {
    static constexpr int kDishKinds = 10;
    static constexpr std::size_t kMaxDishes = 10000;

    int frames = 0;          // of play, as the game counts them (60 a second)
    std::vector<int> dishes; // the dishes eaten, 0 to 9, in eating order
    int kills = 0;           // enemies beaten, all kinds
    int maxRank = 0;         // the highest rank reached
    int faints = 0;

    bool operator==(const SRunSummary&) const = default;
};

// The summary in the game's report of a replay (its standard output); nullopt when the lines are missing or
// hold anything out of range, as a game that did not say it, or said nonsense, tells nothing.
std::optional<SRunSummary> fParseRunReport(std::string_view output);

// "3,1,0" (empty for none), as a store keeps the dishes; nullopt for anything else.
std::string fFormatDishList(const std::vector<int>& dishes);
std::optional<std::vector<int>> fParseDishList(std::string_view text);
