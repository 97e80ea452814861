// Rows are checked on their way out of a store, as any input is: a hand edit, an import or a damaged
// database may hold one that the list reply, a page or the JSON could not carry.
#pragma once

#include "CRankingStore.h"
#include "RankingProtocol.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A row found breaking the rules, to be hidden so that ranks and totals leave it out as the pages do.
struct SSetAside {
    std::string id;
    std::string why;
};

// Whether `entry`, as read from a store, may be served. A bad one is logged, once per entry in a process
// (the pages read it again on every request), and the caller leaves it out; the first time it is also added
// to `found`, for the store to hide.
bool fServable(const SListedEntry& entry, std::vector<SSetAside>* found = nullptr);

// Hides each of `rows` through `hide` (the store's hiding, called with the id, the reason and the time) and
// logs it; a failure (a read-only database) is logged and leaves the row counted, though still not shown.
void fHideSetAside(
    const std::vector<SSetAside>& rows,
    const std::function<EHideResult(const std::string&, const std::string&, std::int64_t)>& hide);
