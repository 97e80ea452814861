#include "RankPosition.h"

void fRankByPlace(std::vector<SListedEntry>& page, std::int64_t offset) {
    for (std::size_t i = 1; i < page.size(); ++i) {
        page[i].rank = page[i].score == page[i - 1].score
                           ? page[i - 1].rank
                           : static_cast<int>(offset + static_cast<std::int64_t>(i) + 1);
    }
}
