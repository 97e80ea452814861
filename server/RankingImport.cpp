#include "RankingImport.h"

#include "CSqliteRankingStore.h"
#include "ReplayDigest.h"
#include "ServerLog.h"

#include <stdexcept>

std::pair<int, int> fImportSqliteRanking(const std::filesystem::path& folder, CRankingStore& target) {
    if (!std::filesystem::is_regular_file(folder / "ranking.sqlite3")) {
        throw std::runtime_error("no SQLite ranking in " + folder.string() + " (no ranking.sqlite3)");
    }
    CSqliteRankingStore source(folder);
    const int total = source.fCount();
    std::vector<SListedEntry> entries = source.fList(ERankingOrder::Date, 0, total);
    std::pair<int, int> counts{0, 0};
    // Oldest first, so that equal scores keep their order.
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        std::optional<std::string> replay = source.fReplay(it->id);
        if (!replay) {
            throw std::runtime_error("the entry " + it->id + " went away during the import");
        }
        SNewEntry entry;
        entry.id = it->id;
        entry.name = it->name;
        entry.score = it->score;
        entry.registeredAt = it->registeredAt;
        entry.version = it->version;
        entry.run = it->run;
        entry.digest = fReplayDigest(*replay);
        entry.replay = std::move(*replay);
        const CRankingStore::SAdded added = target.fAdd(entry);
        ++(added.stored ? counts.first : counts.second);
        if (added.stored) {
            if (const std::optional<std::string> picture = source.fResultPicture(it->id)) {
                target.fPutResultPicture(it->id, *picture);
            }
        }
    }
    return counts;
}
