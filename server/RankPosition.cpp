#include "RankPosition.h"

#include "RankingSql.h"

std::optional<SRankPosition> fLocate(const FCountRows& rows, ERankingOrder order, std::int64_t offset) {
    if (offset < 0) {
        return std::nullopt;
    }
    const std::string table = fCountTable(order);
    SRankPosition position;
    std::optional<std::int64_t> parent;
    for (int level = kCountLevels - 1; level >= 0; --level) {
        bool found = false;
        for (const auto& [bucket, n] : rows(fCountWalkSql(table, level), parent)) {
            if (n <= 0) {
                continue;
            }
            if (offset < position.above + n) {
                parent = bucket;
                found = true;
                break;
            }
            position.above += n;
        }
        if (!found) {
            return std::nullopt;
        }
    }
    position.value = *parent;
    return position;
}

void fRankByPlace(std::vector<SListedEntry>& page, std::int64_t offset, const SRankPosition& position) {
    for (std::size_t i = 0; i < page.size(); ++i) {
        if (i == 0) {
            page[i].rank = static_cast<int>(position.above + 1);
        } else if (page[i].score == page[i - 1].score) {
            page[i].rank = page[i - 1].rank;
        } else {
            page[i].rank = static_cast<int>(offset + static_cast<std::int64_t>(i) + 1);
        }
    }
}
