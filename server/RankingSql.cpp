#include "RankingSql.h"

namespace {

std::string fSelectEntries(const std::string& rank) {
    return "SELECT id, name, score, registered_at, " + rank +
           ", version, frames, dishes, kills, max_rank, faints, hidden_at, hidden_reason FROM entries";
}

} // namespace

const std::string& fEntrySelectSql() {
    static const std::string sql = fSelectEntries("0");
    return sql;
}

const std::string& fListSelectSql(ERankingOrder order) {
    // Ties keep the order they were stored in: the earlier entry of a score is listed first. Hidden entries
    // are left out before the ranks are counted, so the ranks below one close up.
    static const std::string ranked =
        fSelectEntries("RANK() OVER (ORDER BY score DESC)") + " WHERE hidden_at IS NULL";
    static const std::string byScore = ranked + " ORDER BY score DESC, seq ASC";
    static const std::string byDate = ranked + " ORDER BY registered_at DESC, seq DESC";
    return order == ERankingOrder::Score ? byScore : byDate;
}
