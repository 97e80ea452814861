// Rows are checked on their way out of a store, as any input is: a hand edit, an import or a damaged
// database may hold one that the list reply, a page or the JSON could not carry.
#pragma once

#include "RankingProtocol.h"

// Whether `entry`, as read from a store, may be served. A bad one is logged, once per entry in a process
// (the pages read it again on every request), and the caller leaves it out.
bool fServable(const SListedEntry& entry);
