#include "SRunSummary.h"

#include "base/FieldText.h"

#include <regex>
#include <string>

namespace {

// Generous bounds: a run is minutes long, but nothing here may overflow or grow without end.
constexpr int kMaxCount = 100000000;
constexpr int kMaxRankSeen = 99;

bool fReadCount(std::string_view text, int high, int& value) {
    return fParseDecimalInt(text, value) && value >= 0 && value <= high;
}

// The last line starting with `prefix`.
std::optional<std::string_view> fLastLine(std::string_view output, std::string_view prefix) {
    std::optional<std::string_view> found;
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t end = output.find('\n', start);
        if (end == std::string_view::npos) {
            end = output.size();
        }
        const std::string_view line = output.substr(start, end - start);
        if (line.starts_with(prefix)) {
            found = line;
        }
        start = end + 1;
    }
    return found;
}

} // namespace

std::string fFormatDishList(const std::vector<int>& dishes) {
    std::string text;
    for (const int dish : dishes) {
        text += (text.empty() ? "" : ",") + std::to_string(dish);
    }
    return text;
}

std::optional<std::vector<int>> fParseDishList(std::string_view text) {
    std::vector<int> dishes;
    if (text.empty()) {
        return dishes;
    }
    if (text.size() > 2 * SRunSummary::kMaxDishes) {
        return std::nullopt;
    }
    for (const std::string_view dish : fSplitFields(text, ',')) {
        if (dish.size() != 1 || dish[0] < '0' || dish[0] > '9') {
            return std::nullopt;
        }
        dishes.push_back(dish[0] - '0');
    }
    return dishes;
}

std::optional<SRunSummary> fParseRunReport(std::string_view output) {
    const std::optional<std::string_view> played = fLastLine(output, "replay ");
    const std::optional<std::string_view> stats = fLastLine(output, "stats ");
    if (!played || !stats) {
        return std::nullopt;
    }
    SRunSummary run;
    std::cmatch m;
    const std::regex frames(": ([0-9]{1,9}) frames, score ");
    if (!std::regex_search(played->data(), played->data() + played->size(), m, frames) ||
        !fReadCount(std::string_view(m[1].first, static_cast<std::size_t>(m[1].length())), kMaxCount,
                    run.frames)) {
        return std::nullopt;
    }
    // Fields by position: "stats kills A,B,C,D,E,F multi M faints F dishes D combo C rank R shots S,C,F,W
    // swaps N grounds G eaten L"; the game only ever adds fields at the end.
    const std::vector<std::string_view> words = fSplitFields(*stats, ' ');
    if (words.size() < 21 || words[1] != "kills" || words[5] != "faints" || words[7] != "dishes" ||
        words[11] != "rank" || words[19] != "eaten") {
        return std::nullopt;
    }
    const std::vector<std::string_view> kills = fSplitFields(words[2], ',');
    if (kills.size() != 6) {
        return std::nullopt;
    }
    for (const std::string_view kind : kills) {
        int count = 0;
        if (!fReadCount(kind, kMaxCount, count) || run.kills > kMaxCount - count) {
            return std::nullopt;
        }
        run.kills += count;
    }
    int dishCount = 0;
    if (!fReadCount(words[6], kMaxCount, run.faints) || !fReadCount(words[8], kMaxCount, dishCount) ||
        !fReadCount(words[12], kMaxRankSeen, run.maxRank)) {
        return std::nullopt;
    }
    std::optional<std::vector<int>> dishes =
        words[20] == "-" ? std::optional<std::vector<int>>(std::vector<int>()) : fParseDishList(words[20]);
    if (!dishes || words[20].empty() || static_cast<std::size_t>(dishCount) != dishes->size()) {
        return std::nullopt;
    }
    run.dishes = std::move(*dishes);
    return run;
}
