#include "RankPosition.h"

#include "StoredEntryCheck.h"

#include <algorithm>

void fRankByPlace(std::vector<SListedEntry>& page, std::int64_t offset) {
    for (std::size_t i = 1; i < page.size(); ++i) {
        page[i].rank = page[i].score == page[i - 1].score
                           ? page[i - 1].rank
                           : static_cast<int>(offset + static_cast<std::int64_t>(i) + 1);
    }
}

std::vector<SListedEntry> fServablePage(std::vector<SListedEntry> page, ERankingOrder order,
                                        std::int64_t offset, std::vector<SSetAside>& found) {
    if (order == ERankingOrder::Score) {
        fRankByPlace(page, offset);
    }
    page.erase(std::remove_if(page.begin(), page.end(),
                              [&found](const SListedEntry& e) { return !fServable(e, &found); }),
               page.end());
    return page;
}
