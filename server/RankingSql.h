// The SQL both ranking stores send, written once: SQLite and PostgreSQL read an entry's row the same way.
// Only what the two share is here; each store adds its own placeholders (?1 on SQLite, $1 on PostgreSQL).
// Whatever counts ranks counts only the entries that are not hidden ("hidden_at IS NULL").
#pragma once

#include "CRankingStore.h"

#include <string>

// "SELECT ... FROM entries" of one entry; the store adds its WHERE. Columns, as both stores' fReadEntry read
// them: id, name, score, registered_at, rank (0 here: a lone entry's rank is counted on its own), version,
// then the run's frames, dishes, kills, max_rank, faints, and hidden_at, hidden_reason (NULL unless hidden).
const std::string& fEntrySelectSql();

// The list in `order` without the hidden entries, each entry with its rank by score among those listed, in
// the columns of fEntrySelectSql; the store adds LIMIT and OFFSET.
const std::string& fListSelectSql(ERankingOrder order);
