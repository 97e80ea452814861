// Finding a page's place in the ranking from the kept counts (RankingSql.h), the same way on both stores.
#pragma once

#include "CRankingStore.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Runs one count query with at most one parameter and gives its rows of two numbers.
using FCountRows = std::function<std::vector<std::pair<std::int64_t, std::int64_t>>(
    const std::string& sql, std::optional<std::int64_t> parameter)>;

struct SRankPosition {
    std::int64_t value = 0; // the score (or date) of the entry at the offset
    std::int64_t above = 0; // how many entries come before the first one of that value
};

// Where the entry at `offset` in `order` is; nullopt when the ranking has no entry there.
std::optional<SRankPosition> fLocate(const FCountRows& rows, ERankingOrder order, std::int64_t offset);

// Competition ranks for a page by score that starts at `offset` at `position`: the first row's rank is one
// more than the entries above its score, and each later row's is its own place unless it ties the row
// before it.
void fRankByPlace(std::vector<SListedEntry>& page, std::int64_t offset, const SRankPosition& position);
