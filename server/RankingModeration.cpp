#include "RankingModeration.h"

#include "CPostgresConnections.h"
#include "CPostgresRankingStore.h"
#include "CSqliteRankingStore.h"
#include "RankingProtocol.h"
#include "ServerLog.h"

#include <ctime>
#include <memory>
#include <stdexcept>

namespace {

constexpr std::size_t kMaxReasonBytes = 500;

int fPrintHidden(CRankingStore& store, std::FILE* out) {
    const std::vector<SListedEntry> hidden = store.fHidden();
    if (hidden.empty()) {
        std::fprintf(out, "no entry is hidden\n");
    }
    // One line each, tab-separated: id, name, score, when (UTC), reason. The stored texts are shown
    // log-safe: a row edited by hand cannot forge lines here either.
    for (const SListedEntry& e : hidden) {
        std::fprintf(out, "%s\t%s\t%d\t%s\t%s\n", fLogSafe(e.id, 80).c_str(), fLogSafe(e.name, 40).c_str(),
                     e.score, fFormatRegisteredAt(e.hiddenAt.value_or(0)).c_str(),
                     fLogSafe(e.hiddenReason, kMaxReasonBytes).c_str());
    }
    return 0;
}

int fRun(const SModeration& command, CRankingStore& store, std::FILE* out) {
    if (command.action == SModeration::EAction::List) {
        return fPrintHidden(store, out);
    }
    const bool hide = command.action == SModeration::EAction::Hide;
    const EHideResult result =
        hide ? store.fHide(command.id, command.reason, static_cast<std::int64_t>(std::time(nullptr)))
             : store.fUnhide(command.id);
    switch (result) {
    case EHideResult::NoEntry:
        std::fprintf(stderr, "tavoni-ranking-server: no entry has the id %s\n", command.id.c_str());
        return 1;
    case EHideResult::Done:
        std::fprintf(out, hide ? "hidden: %s\n" : "shown again: %s\n", command.id.c_str());
        fServerLog(std::string("moderation: ") + (hide ? "hid " : "showed again ") + command.id +
                   (hide ? ": " + fLogSafe(command.reason, kMaxReasonBytes) : std::string()));
        return 0;
    case EHideResult::AlreadySo:
        std::fprintf(out, hide ? "%s was hidden already\n" : "%s was not hidden\n", command.id.c_str());
        return 0;
    }
    return 1;
}

} // namespace

std::string fCheckHideReason(std::string_view reason) {
    if (reason.empty() || reason.size() > kMaxReasonBytes) {
        return "--reason needs a text of 1 to 500 bytes";
    }
    for (const char c : reason) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            return "--reason may not hold control characters";
        }
    }
    return {};
}

int fRunModeration(const SModeration& command, const std::filesystem::path& dataFolder,
                   const std::string& database, std::FILE* out) {
    try {
        if (database.empty()) {
            // Beside a running server: nothing of its is removed, and its folder must be there already.
            CSqliteRankingStore store(dataFolder, CSqliteRankingStore::EOpen::Moderate);
            return fRun(command, store, out);
        }
        CPostgresConnections connections(database, 1);
        CPostgresRankingStore store(connections);
        return fRun(command, store, out);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tavoni-ranking-server: %s\n", e.what());
        return 1;
    }
}
