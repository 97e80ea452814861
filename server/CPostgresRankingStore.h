// The ranking in PostgreSQL, shared by any number of web nodes and checkers: the entries with their replay
// bytes in one table and their result pictures in another, so no node keeps anything on disk. Opening the
// store creates or upgrades the schema in one transaction, under a lock so that nodes starting together do it
// once; the schema_version table says which schema the database has. The check queue (CPostgresCheckQueue)
// lives in the same database.
#pragma once

#include "CPostgresConnections.h"
#include "CPostgresListener.h"
#include "CRankingStore.h"
#include "StoredEntryCheck.h"

#include <atomic>
#include <memory>
#include <mutex>

class CPostgresRankingStore : public CRankingStore {
public:
    static constexpr int kSchemaVersion = 6;

    // Throws std::runtime_error when the database cannot be reached or has a newer schema.
    explicit CPostgresRankingStore(CPostgresConnections& connections);

    SAdded fAdd(const SNewEntry& entry) override;
    std::optional<SListedEntry> fFindReplay(const std::string& digest) override;
    std::vector<SListedEntry> fList(ERankingOrder order, int offset, int limit) override;
    int fCount() override;
    std::int64_t fHiddenCount() override;
    std::uint64_t fGeneration() override;
    void fNoteChange() override;
    std::optional<SListedEntry> fEntry(const std::string& id) override;
    std::optional<std::string> fReplay(const std::string& id) override;
    bool fPutResultPicture(const std::string& id, const std::string& png) override;
    std::optional<std::string> fResultPicture(const std::string& id) override;
    bool fAnswers() override;
    EHideResult fHide(const std::string& id, const std::string& reason, std::int64_t at) override;
    EHideResult fUnhide(const std::string& id) override;
    std::vector<SListedEntry> fHidden() override;

private:
    void fMigrate();
    static void fAddRankCounts(CPostgresConnections::CLease& db);
    int fRankOf(CPostgresConnections::CLease& lease, int score);
    // Hides the rows found breaking the rules (logged; a failure keeps them counted).
    void fSetAside(const std::vector<SSetAside>& rows);
    // Runs an UPDATE of an entry's hidden state ($1 the id) that returns the row it changed.
    EHideResult fChangeHidden(const char* sql, const std::vector<SPgValue>& params);

    CPostgresConnections& mConnections;
    std::once_flag mListenerMade;
    std::unique_ptr<CPostgresListener> mListener;
    std::atomic<CPostgresListener*> mListening{nullptr}; // mListener once made, for other threads
};
