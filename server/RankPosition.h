// Competition ranks for a page by score, given by the places of its rows, the same way on both stores.
#pragma once

#include "CRankingStore.h"
#include "StoredEntryCheck.h"

#include <cstdint>
#include <vector>

// `page` starts at `offset` and its first row carries its rank (one more than the entries above its score):
// each later row's rank is its own place, unless it ties the row before it.
void fRankByPlace(std::vector<SListedEntry>& page, std::int64_t offset);

// A page as read, ranked (by place when by score) and then without the rows that break the rules. Those are
// added to `found` the first time, for the store to hide: until then they still hold their places in the
// ranks and the kept counts.
std::vector<SListedEntry> fServablePage(std::vector<SListedEntry> page, ERankingOrder order,
                                        std::int64_t offset, std::vector<SSetAside>& found);
