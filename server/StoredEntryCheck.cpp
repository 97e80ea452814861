#include "StoredEntryCheck.h"

#include "ServerLog.h"

#include <ctime>
#include <mutex>
#include <set>

bool fServable(const SListedEntry& entry, std::vector<SSetAside>* found) {
    const std::string why = fCheckListedEntry(entry);
    if (why.empty()) {
        return true;
    }
    static std::mutex mutex;
    static std::set<std::string> logged;
    // Bounded: a database full of bad rows must not fill memory; past the bound each is logged again.
    constexpr std::size_t kRemembered = 4096;
    const std::lock_guard<std::mutex> lock(mutex);
    if (logged.insert(entry.id).second || logged.size() >= kRemembered) {
        if (logged.size() >= kRemembered) {
            logged.clear();
        }
        fServerLog("store: the entry \"" + fLogSafe(entry.id, 80) + "\" (\"" + fLogSafe(entry.name, 40) +
                   "\") is left out: " + why);
        if (found != nullptr) {
            found->push_back({entry.id, why});
        }
    }
    return false;
}

void fHideSetAside(
    const std::vector<SSetAside>& rows,
    const std::function<EHideResult(const std::string&, const std::string&, std::int64_t)>& hide) {
    for (const SSetAside& row : rows) {
        try {
            if (hide(row.id, "set aside by the server: " + row.why,
                     static_cast<std::int64_t>(std::time(nullptr))) == EHideResult::Done) {
                fServerLog("store: the entry \"" + fLogSafe(row.id, 80) +
                           "\" is hidden, so ranks and totals leave it out too (--hidden lists it)");
            }
        } catch (const std::exception& e) {
            fServerLog(std::string("store: a row breaking the rules stays counted: ") + e.what());
        }
    }
}
