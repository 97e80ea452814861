// The ranking on one machine: an SQLite database (WAL) of the entries, a folder of replay files named by
// random ids and a folder of the entries' result pictures ("<id>.png"). An entry is durable before it is
// reported: its replay is written to a temporary file, fsynced and renamed into place, the folder fsynced,
// and only then is its row committed. Opening the store creates or upgrades the schema in one transaction
// (the schema_version table says which it is) and removes what a crash can leave half-done: temporary files,
// and replay files and pictures whose row never committed. A change another process commits (a moderator's
// command, a hand edit) is seen by the database's data version, read with every generation asked for.
#pragma once

#include "CRankingStore.h"
#include "StoredEntryCheck.h"

#include <filesystem>
#include <mutex>
#include <utility>

struct sqlite3;
struct sqlite3_stmt;

class CSqliteRankingStore : public CRankingStore {
public:
    static constexpr int kSchemaVersion = 5;

    enum class EOpen {
        Serve,    // the server's: folders and database made when missing, upgraded, crash leftovers removed
        Moderate, // a command beside a running server: an existing database, upgraded; no file removed
        Source,   // a ranking read to move it elsewhere: read-only and as it is, of any schema so far; no
                  // upgrade, no journal, nothing made or removed in its folder
    };

    // Throws std::runtime_error.
    explicit CSqliteRankingStore(const std::filesystem::path& dataFolder, EOpen open = EOpen::Serve);
    ~CSqliteRankingStore() override;
    CSqliteRankingStore(const CSqliteRankingStore&) = delete;
    CSqliteRankingStore& operator=(const CSqliteRankingStore&) = delete;

    SAdded fAdd(const SNewEntry& entry) override;
    std::optional<SListedEntry> fFindReplay(const std::string& digest) override;
    std::vector<SListedEntry> fList(ERankingOrder order, int offset, int limit) override;
    int fCount() override;
    std::int64_t fHiddenCount() override;
    std::uint64_t fGeneration() override;
    std::optional<SListedEntry> fEntry(const std::string& id) override;
    std::optional<std::string> fReplay(const std::string& id) override;
    bool fPutResultPicture(const std::string& id, const std::string& png) override;
    std::optional<std::string> fResultPicture(const std::string& id) override;
    bool fAnswers() override;
    EHideResult fHide(const std::string& id, const std::string& reason, std::int64_t at) override;
    EHideResult fUnhide(const std::string& id) override;
    std::vector<SListedEntry> fHidden() override;

    // Every entry, hidden or not, as stored (unchecked), oldest first; and the replay and the result picture
    // of any of them: what moving the ranking elsewhere takes.
    std::vector<SListedEntry> fEverything();
    std::optional<std::string> fStoredReplay(const std::string& id);
    std::optional<std::string> fStoredResultPicture(const std::string& id);

    const std::filesystem::path& fReplayFolder() const { return mReplays; }
    const std::filesystem::path& fDatabaseFile() const { return mDatabase; }
    std::filesystem::path fResultPictureFile(const std::string& id) const { return mResults / (id + ".png"); }

private:
    void fExec(const char* sql);
    void fOpenSource();
    int fSchemaVersion();
    void fMigrate();
    std::vector<SListedEntry> fSelect(const std::string& sql);
    void fAddRankCounts();
    void fRecover();
    std::vector<std::pair<std::int64_t, std::int64_t>> fNumbers(const std::string& sql,
                                                                const std::vector<std::int64_t>& parameters);
    std::optional<SListedEntry> fFindByDigest(const std::string& digest);
    int fRankOf(int score);
    bool fHasEntry(const std::string& id);
    EHideResult fHideHeld(const std::string& id, const std::string& reason, std::int64_t at);
    // Hides the rows found breaking the rules (logged; a read-only database keeps them counted).
    void fSetAside(const std::vector<SSetAside>& rows);
    // Runs a hide or show UPDATE whose ?1 is the id; the caller holds the lock (also of the two above).
    EHideResult fChangeShown(sqlite3_stmt* update, const std::string& id, const char* verb);

    std::filesystem::path mFolder;
    std::filesystem::path mReplays;
    std::filesystem::path mResults;
    std::filesystem::path mDatabase;
    sqlite3* mDb = nullptr;
    mutable std::mutex mMutex;
    std::uint64_t mGeneration = 0;
    std::int64_t mDataVersion = -1;
};
