#include "RankingSql.h"

#include <utility>

namespace {

std::string fSelectEntries(const std::string& rank) {
    return "SELECT id, name, score, registered_at, " + rank +
           ", version, frames, dishes, kills, max_rank, faints FROM entries";
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

} // namespace

const std::string& fEntrySelectSql() {
    static const std::string sql = fSelectEntries("0");
    return sql;
}

const std::string& fListSelectSql(ERankingOrder order) {
    // Ties keep the order they were stored in: the earlier entry of a score is listed first.
    static const std::string byScore =
        fSelectEntries("0") + " WHERE score <= $1 ORDER BY score DESC, seq ASC LIMIT $2 OFFSET $3";
    static const std::string byDate = fSelectEntries("1 + " + fCountAbove("entries.score")) +
                                      " WHERE registered_at <= $1 ORDER BY registered_at DESC, seq DESC"
                                      " LIMIT $2 OFFSET $3";
    return order == ERankingOrder::Score ? byScore : byDate;
}

const std::string& fBestIdsSql() {
    static const std::string sql = "SELECT id FROM entries ORDER BY score DESC, seq ASC LIMIT $1";
    return sql;
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

const char* fCountTable(ERankingOrder order) {
    return order == ERankingOrder::Score ? "score_counts" : "date_counts";
}

std::string fCountWalkSql(const std::string& table, int level) {
    std::string sql = "SELECT bucket, n FROM " + table + " WHERE level = " + std::to_string(level);
    if (level + 1 < kCountLevels) {
        const std::string first = "(" + kParameter + " << " + std::to_string(kCountLevelBits) + ")";
        sql += " AND bucket >= " + first + " AND bucket <= (" + first + " | " +
               std::to_string((1 << kCountLevelBits) - 1) + ")";
    }
    return sql + " ORDER BY bucket DESC";
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
                                 std::to_string(level) + ", " + bucket + ", COUNT(*) FROM entries GROUP BY " +
                                 bucket);
        }
    }
    return statements;
}

std::string fCountChangeSql(const std::string& row, int delta) {
    std::string statements;
    for (const auto& [table, column] : kCountedColumns) {
        const std::string value = row + "." + column;
        std::string sql = std::string("INSERT INTO ") + table + " (level, bucket, n) VALUES ";
        for (int level = 0; level < kCountLevels; ++level) {
            sql += std::string(level == 0 ? "" : ", ") + "(" + std::to_string(level) + ", " +
                   fBucket(value, level) + ", " + std::to_string(delta) + ")";
        }
        statements += sql + " ON CONFLICT (level, bucket) DO UPDATE SET n = " + table + ".n + excluded.n; ";
    }
    return statements;
}
