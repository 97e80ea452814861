// The SQL both ranking stores send, written once: SQLite and PostgreSQL read an entry's row the same way.
// Parameters are written $1, $2... for both (SQLite binds them by name).
//
// Ranks and page positions come from two kept tables of counts, one over the scores and one over the
// registration dates, each counting the entries per value at four levels: level L counts the entries whose
// value shifted right by 8 L bits is its bucket. The number of entries above a value is then a sum of at most
// 255 buckets on each of three levels and the few top ones, and the entry at any position is found by walking
// down the levels, so neither needs a scan of the entries. Triggers on the entries keep both tables.
#pragma once

#include "CRankingStore.h"

#include <string>
#include <vector>

inline constexpr int kCountLevels = 4;
inline constexpr int kCountLevelBits = 8;

// "SELECT ... FROM entries" of one entry; the store adds its WHERE. Columns, as both stores' fReadEntry read
// them: id, name, score, registered_at, rank (0 here: a lone entry's rank is counted on its own), version,
// then the run's frames, dishes, kills, max_rank, faints.
const std::string& fEntrySelectSql();

// A page in `order`, in the columns of fEntrySelectSql: the entries from the value $1 on (a score, or a
// date) in that order, skipping the first $3 of them, $2 at most. By score the rank column is 0 (the store
// gives ranks by position); by date each row carries its rank by score.
const std::string& fListSelectSql(ERankingOrder order);

// The ids of the best $1 entries, in score order: what the game's list holds.
const std::string& fBestIdsSql();

// One row: 1 + the number of entries with a score above $1.
const std::string& fRankSql();
// One row: the number of entries.
const std::string& fCountSql();

// The counts table of an order: "score_counts" or "date_counts".
const char* fCountTable(ERankingOrder order);
// Rows (bucket, n) of one level of `table`, highest bucket first; below the top level, only the buckets
// under the bucket $1 of the level above.
std::string fCountWalkSql(const std::string& table, int level);

// Statements that create the counts tables and fill them from the entries; `tableSuffix` ends each CREATE
// TABLE (" WITHOUT ROWID" on SQLite).
std::vector<std::string> fCreateCountsSql(const std::string& tableSuffix);
// The statements, each ended by ";", that a trigger runs to count the entry `row` ("NEW" or "OLD") in both
// tables (`delta` 1) or out of them (-1).
std::string fCountChangeSql(const std::string& row, int delta);
