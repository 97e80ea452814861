#include "RankingSql.h"

#include <utility>

namespace {

std::string fSelectEntries(const std::string& rank) {
    return "SELECT id, name, score, registered_at, " + rank +
           ", version, frames, dishes, kills, max_rank, faints, hidden_at, hidden_reason FROM entries";
}

std::string fBucket(const std::string& value, int level) {
    return level == 0 ? value : "(" + value + " >> " + std::to_string(level * kCountLevelBits) + ")";
}

// The number of entries whose score is above `value`: on each level the buckets above the value's own, up
// to the end of the bucket holding both on the level above.
std::string fCountAbove(const std::string& value) {
    const std::string mask = std::to_string((1 << kCountLevelBits) - 1);
    std::string sum;
    for (int level = 0; level < kCountLevels; ++level) {
        const std::string bucket = fBucket(value, level);
        sum += std::string(level == 0 ? "" : " + ") +
               "(SELECT COALESCE(SUM(n), 0) FROM score_counts WHERE level = " + std::to_string(level) +
               " AND bucket > " + bucket;
        if (level + 1 < kCountLevels) {
            sum += " AND bucket <= (" + bucket + " | " + mask + ")";
        }
        sum += ")";
    }
    return "CAST(" + sum + " AS bigint)";
}

// Each counts table and the column it counts.
constexpr std::pair<const char*, const char*> kCountedColumns[] = {{"score_counts", "score"},
                                                                   {"date_counts", "registered_at"}};

// A parameter as a number on both stores (PostgreSQL would not know which shift operator is meant).
const std::string kParameter = "CAST($1 AS bigint)";

// "WITH place7 AS (...), ..., place0 AS (...) ": the bucket on each level, from the top down, that holds the
// entry at the offset $1, with the number of entries above it; place0's bucket is that entry's value. Each
// level looks at the 16 buckets under the one above at most, summing them from the top. The two databases
// need the level above put differently to take the range of buckets from the counts' primary key: SQLite
// joined (it would evaluate the levels above again for each reference), PostgreSQL as single values (it
// would misjudge the join and scan a whole level).
std::string fPlaceSql(const std::string& table, ESqlDialect dialect) {
    const std::string bits = std::to_string(kCountLevelBits);
    const std::string last = std::to_string((1 << kCountLevelBits) - 1);
    const bool joined = dialect == ESqlDialect::Sqlite;
    std::string sql = "WITH ";
    for (int level = kCountLevels - 1; level >= 0; --level) {
        const bool top = level == kCountLevels - 1;
        const std::string parent = "place" + std::to_string(level + 1);
        const std::string above = top      ? std::string("0")
                                  : joined ? "p.above"
                                           : "(SELECT above FROM " + parent + ")";
        const std::string first =
            joined ? "(p.bucket << " + bits + ")" : "((SELECT bucket FROM " + parent + ") << " + bits + ")";
        sql += "place" + std::to_string(level) +
               " AS (SELECT bucket, above FROM (SELECT s.bucket AS bucket, s.n AS n, " + above +
               " + CAST(SUM(s.n) OVER (ORDER BY s.bucket DESC) AS bigint) - s.n AS above FROM " +
               (top || !joined ? "" : parent + " AS p, ") + table +
               " AS s WHERE s.level = " + std::to_string(level);
        if (!top) {
            sql += " AND s.bucket >= " + first + " AND s.bucket <= (" + first + " | " + last + ")";
        }
        sql += ") AS candidates WHERE above <= " + kParameter + " AND " + kParameter + " < above + n)" +
               (level == 0 ? " " : ", ");
    }
    return sql;
}

// $2 rows from the offset $1, counted from the first entry of the value found.
std::string fPageLimitSql() {
    return " LIMIT $2 OFFSET COALESCE((SELECT " + kParameter + " - above FROM place0), 0)";
}

} // namespace

const std::string& fEntrySelectSql() {
    static const std::string sql = fSelectEntries("0");
    return sql;
}

const std::string& fListSelectSql(ERankingOrder order, ESqlDialect dialect) {
    // Ties keep the order they were stored in: the earlier entry of a score is listed first. Hidden entries
    // are not in the counts and are left out of the page, so the ranks below one close up.
    const auto make = [](ERankingOrder order, ESqlDialect dialect) {
        if (order == ERankingOrder::Score) {
            return fPlaceSql("score_counts", dialect) + fSelectEntries("1 + (SELECT above FROM place0)") +
                   " WHERE score <= (SELECT bucket FROM place0) AND hidden_at IS NULL" +
                   " ORDER BY score DESC, seq ASC" + fPageLimitSql();
        }
        return fPlaceSql("date_counts", dialect) + fSelectEntries("1 + " + fCountAbove("entries.score")) +
               " WHERE registered_at <= (SELECT bucket FROM place0) AND hidden_at IS NULL" +
               " ORDER BY registered_at DESC, seq DESC" + fPageLimitSql();
    };
    static const std::string sql[2][2] = {
        {make(ERankingOrder::Score, ESqlDialect::Sqlite), make(ERankingOrder::Score, ESqlDialect::Postgres)},
        {make(ERankingOrder::Date, ESqlDialect::Sqlite), make(ERankingOrder::Date, ESqlDialect::Postgres)}};
    return sql[order == ERankingOrder::Score ? 0 : 1][dialect == ESqlDialect::Sqlite ? 0 : 1];
}

const std::string& fRankSql() {
    static const std::string sql = "SELECT 1 + " + fCountAbove(kParameter);
    return sql;
}

const std::string& fCountSql() {
    static const std::string sql =
        "SELECT CAST(COALESCE(SUM(n), 0) AS bigint) FROM score_counts WHERE level = " +
        std::to_string(kCountLevels - 1);
    return sql;
}

std::vector<std::string> fCreateCountsSql(const std::string& tableSuffix) {
    std::vector<std::string> statements;
    for (const auto& [table, column] : kCountedColumns) {
        statements.push_back(std::string("CREATE TABLE ") + table +
                             " (level integer NOT NULL, bucket bigint NOT NULL, n bigint NOT NULL,"
                             " PRIMARY KEY (level, bucket))" +
                             tableSuffix);
        for (int level = 0; level < kCountLevels; ++level) {
            const std::string bucket = fBucket(column, level);
            statements.push_back(std::string("INSERT INTO ") + table + " (level, bucket, n) SELECT " +
                                 std::to_string(level) + ", " + bucket +
                                 ", COUNT(*) FROM entries WHERE hidden_at IS NULL GROUP BY " + bucket);
        }
    }
    return statements;
}

std::string fCountChangeSql(const std::string& row, int delta) {
    std::string statements;
    for (const auto& [table, column] : kCountedColumns) {
        const std::string value = row + "." + column;
        std::string changes;
        for (int level = 0; level < kCountLevels; ++level) {
            changes += std::string(level == 0 ? "" : " UNION ALL ") + "SELECT " + std::to_string(level) +
                       " AS level, " + fBucket(value, level) + " AS bucket, " + std::to_string(delta) +
                       " AS d";
        }
        // The WHERE also keeps SQLite from reading the ON CONFLICT as a join's ON.
        statements += std::string("INSERT INTO ") + table +
                      " (level, bucket, n) SELECT level, bucket, d FROM (" + changes + ") AS changes WHERE " +
                      row + ".hidden_at IS NULL ON CONFLICT (level, bucket) DO UPDATE SET n = " + table +
                      ".n + excluded.n; ";
    }
    return statements;
}

std::string fCountChangesSql(const std::vector<std::pair<std::string, int>>& relations) {
    std::string statements;
    for (const auto& [table, column] : kCountedColumns) {
        std::string changes;
        for (const auto& [relation, delta] : relations) {
            for (int level = 0; level < kCountLevels; ++level) {
                changes += std::string(changes.empty() ? "" : " UNION ALL ") + "SELECT " +
                           std::to_string(level) + " AS level, " + fBucket(column, level) + " AS bucket, " +
                           std::to_string(delta) + " AS d FROM " + relation + " WHERE hidden_at IS NULL";
            }
        }
        statements +=
            std::string("INSERT INTO ") + table + " (level, bucket, n) SELECT level, bucket, SUM(d) FROM (" +
            changes +
            ") AS changes GROUP BY level, bucket ON CONFLICT (level, bucket) DO UPDATE SET n = " + table +
            ".n + excluded.n; ";
    }
    return statements;
}
