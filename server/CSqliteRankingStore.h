// The ranking's storage: an SQLite database (WAL) of the entries and a folder of replay files named by
// random ids. An entry is durable before it is reported: its replay is written to a temporary file,
// fsynced and renamed into place, the folder fsynced, and only then is its row committed. Opening the store
// removes what a crash can leave half-done: temporary files, and replay files whose row never committed.
#pragma once

#include "RankingProtocol.h"

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

enum class ERankingOrder { Score, Date };

class CRankingStore {
public:
    // Creates the folder, the database and the replay folder when missing. Throws std::runtime_error.
    explicit CRankingStore(const std::filesystem::path& dataFolder);
    ~CRankingStore();
    CRankingStore(const CRankingStore&) = delete;
    CRankingStore& operator=(const CRankingStore&) = delete;

    struct SAdded {
        SListedEntry entry;  // with its competition rank
        bool stored = false; // false: the same replay was already there, and `entry` is that one
    };
    // Stores a checked replay whose fReplayDigest is `digest`. The same bytes are stored once. Throws
    // std::runtime_error.
    SAdded fAdd(const std::string& name, int score, const std::string& replay, const std::string& digest);
    // The entry holding the replay of this digest, if any.
    std::optional<SListedEntry> fFindReplay(const std::string& digest);

    // Entries with their competition ranks, in the order asked for, `limit` of them from `offset`.
    std::vector<SListedEntry> fList(ERankingOrder order, int offset, int limit);
    int fCount();
    // Goes up by one with every stored entry, so a cached list knows when it is stale.
    std::uint64_t fGeneration() const;

    // The replay file of an entry; nullopt for an id with no entry.
    std::optional<std::filesystem::path> fReplayFile(const std::string& id);

    const std::filesystem::path& fReplayFolder() const { return mReplays; }
    const std::filesystem::path& fDatabaseFile() const { return mDatabase; }

private:
    void fExec(const char* sql);
    void fRecover();
    std::optional<SListedEntry> fFindByDigest(const std::string& digest);
    int fRankOf(int score);

    std::filesystem::path mFolder;
    std::filesystem::path mReplays;
    std::filesystem::path mDatabase;
    sqlite3* mDb = nullptr;
    mutable std::mutex mMutex;
    std::uint64_t mGeneration = 0;
};
