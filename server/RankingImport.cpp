#include "RankingImport.h"

#include "CSqliteRankingStore.h"
#include "ReplayDigest.h"
#include "ServerLog.h"

#include <stdexcept>

namespace {

// The row's replay when the row may move: its fields keep today's rules and its replay file can be read.
std::optional<std::string> fMovableReplay(CSqliteRankingStore& source, const SListedEntry& row) {
    std::string why = fCheckListedEntry(row);
    if (why.empty()) {
        try {
            if (std::optional<std::string> replay = source.fStoredReplay(row.id)) {
                return replay;
            }
            why = "the entry went away during the import";
        } catch (const std::exception& e) {
            why = e.what();
        }
    }
    fServerLog("import: refused the entry \"" + fLogSafe(row.id, 80) + "\" (\"" + fLogSafe(row.name, 40) +
               "\", " + std::to_string(row.score) + "): " + why);
    return std::nullopt;
}

} // namespace

SImportCounts fImportSqliteRanking(const std::filesystem::path& folder, CRankingStore& target) {
    CSqliteRankingStore source(folder, CSqliteRankingStore::EOpen::Source);
    SImportCounts counts;
    // Oldest first, so that equal scores keep their order.
    for (const SListedEntry& row : source.fEverything()) {
        std::optional<std::string> replay = fMovableReplay(source, row);
        if (!replay) {
            ++counts.refused;
            continue;
        }
        SNewEntry entry;
        entry.id = row.id;
        entry.name = row.name;
        entry.score = row.score;
        entry.registeredAt = row.registeredAt;
        entry.version = row.version;
        entry.run = row.run;
        entry.digest = fReplayDigest(*replay);
        entry.replay = std::move(*replay);
        const CRankingStore::SAdded added = target.fAdd(entry);
        ++(added.stored ? counts.copied : counts.present);
        if (!added.stored) {
            continue;
        }
        if (row.hiddenAt) {
            target.fHide(row.id, row.hiddenReason, *row.hiddenAt);
        }
        if (const std::optional<std::string> picture = source.fStoredResultPicture(row.id)) {
            target.fPutResultPicture(row.id, *picture);
        }
    }
    return counts;
}
