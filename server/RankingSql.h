// The SQL both ranking stores send, written once: SQLite and PostgreSQL read an entry's row the same way.
// Parameters are written $1, $2... for both (SQLite binds them by name). Whatever counts ranks counts only
// the entries that are not hidden ("hidden_at IS NULL"), and the kept counts hold only those.
//
// Ranks and page positions come from two kept tables of counts, one over the scores and one over the
// registration dates, each counting the entries per value at eight levels: level L counts the entries whose
// value shifted right by 4 L bits is its bucket. The number of entries above a value is then a sum of at most
// 15 buckets on each level below the top and the few top ones, and the entry at any position is found by
// walking down the levels in one statement, so neither needs a scan of the entries. Triggers on the entries
// keep both tables.
#pragma once

#include "CRankingStore.h"

#include <string>
#include <utility>
#include <vector>

inline constexpr int kCountLevels = 8;
inline constexpr int kCountLevelBits = 4;

// Where the two databases need a query written differently to plan it well.
enum class ESqlDialect { Sqlite, Postgres };

// "SELECT ... FROM entries" of one entry; the store adds its WHERE. Columns, as both stores' fReadEntry read
// them: id, name, score, registered_at, rank (0 here: a lone entry's rank is counted on its own), version,
// then the run's frames, dishes, kills, max_rank, faints, and hidden_at, hidden_reason (NULL unless hidden).
const std::string& fEntrySelectSql();

// A page in `order` without the hidden entries, in the columns of fEntrySelectSql: $2 entries from the
// offset $1, found through the counts. By date each row carries its rank by score; by score every row carries
// the first row's rank, and the store gives the others theirs by place (fRankByPlace).
const std::string& fListSelectSql(ERankingOrder order, ESqlDialect dialect);

// One row: 1 + the number of shown entries with a score above $1.
const std::string& fRankSql();
// One row: the number of shown entries.
const std::string& fCountSql();

// Statements that create the counts tables and fill them from the shown entries; `tableSuffix` ends each
// CREATE TABLE (" WITHOUT ROWID" on SQLite).
std::vector<std::string> fCreateCountsSql(const std::string& tableSuffix);
// The statements, each ended by ";", that a trigger runs to count the entry `row` ("NEW" or "OLD") in both
// tables (`delta` 1) or out of them (-1); a hidden one is not counted either way.
std::string fCountChangeSql(const std::string& row, int delta);
// The same for a statement's rows at once: each of `relations` (a trigger's transition tables) with its
// delta, summed per bucket before the counts are touched, so that a bulk insert updates each count once.
// Their hidden rows are left out.
std::string fCountChangesSql(const std::vector<std::pair<std::string, int>>& relations);
