#include "CPostgresRankingStore.h"

#include "PngFile.h"
#include "RandomId.h"
#include "RankPosition.h"
#include "RankingSql.h"
#include "ServerLog.h"
#include "StoredEntryCheck.h"

#include <climits>
#include <ctime>
#include <stdexcept>

namespace {

// Any number, as long as every node takes the same one: it serializes the schema's creation.
constexpr const char* kSchemaLock = "SELECT pg_advisory_xact_lock(73101030)";
constexpr const char* kEntryLock = "SELECT pg_advisory_xact_lock(73101031)";

int fInt(const CPgRows& rows, int row, int column) {
    const std::int64_t value = rows.fNumber(row, column);
    if (value < INT_MIN || value > INT_MAX) {
        throw std::runtime_error("database: " + std::to_string(value) + " is out of range");
    }
    return static_cast<int>(value);
}

// Columns 6 to 10: frames, dishes, kills, max_rank, faints. Known when all are there and sound; a row from
// before they were kept, or one holding nonsense, shows the run as unknown.
std::optional<SRunSummary> fReadRun(const CPgRows& rows, int row) {
    for (int column = 6; column <= 10; ++column) {
        if (rows.fIsNull(row, column)) {
            return std::nullopt;
        }
    }
    SRunSummary run;
    int* const numbers[] = {&run.frames, &run.kills, &run.maxRank, &run.faints};
    const int columns[] = {6, 8, 9, 10};
    for (int i = 0; i < 4; ++i) {
        const std::int64_t value = rows.fNumber(row, columns[i]);
        if (value < 0 || value > INT_MAX) {
            return std::nullopt;
        }
        *numbers[i] = static_cast<int>(value);
    }
    std::optional<std::vector<int>> dishes = fParseDishList(rows.fText(row, 7));
    if (!dishes) {
        return std::nullopt;
    }
    run.dishes = std::move(*dishes);
    return run;
}

// Columns as RankingSql.h gives them: id, name, score, registered_at, rank, version, then the run's, then
// hidden_at and hidden_reason. What the database says is checked as any input is (fServable) by the callers
// that serve it.
SListedEntry fReadEntry(const CPgRows& rows, int row) {
    SListedEntry e;
    e.id = rows.fText(row, 0);
    e.name = rows.fText(row, 1);
    e.score = fInt(rows, row, 2);
    e.registeredAt = rows.fNumber(row, 3);
    e.rank = fInt(rows, row, 4);
    e.version = rows.fText(row, 5);
    e.run = fReadRun(rows, row);
    if (!rows.fIsNull(row, 11)) {
        e.hiddenAt = rows.fNumber(row, 11);
        e.hiddenReason = rows.fText(row, 12);
    }
    return e;
}

// A run's column for the INSERT: frames, dishes, kills, max_rank, faints; NULL when not known.
SPgValue fRunValue(const std::optional<SRunSummary>& run, int column) {
    if (!run) {
        return SPgValue{};
    }
    switch (column) {
    case 0:
        return SPgValue::fNumber(run->frames);
    case 1:
        return SPgValue::fText(fFormatDishList(run->dishes));
    case 2:
        return SPgValue::fNumber(run->kills);
    case 3:
        return SPgValue::fNumber(run->maxRank);
    default:
        return SPgValue::fNumber(run->faints);
    }
}

// The tables of the first schema; the later versions add to them.
void fCreateFirstSchema(CPostgresConnections::CLease& db) {
    db.fRun("CREATE TABLE entries ("
            " seq bigserial PRIMARY KEY,"
            " id text NOT NULL UNIQUE,"
            " name text NOT NULL,"
            " score integer NOT NULL,"
            " registered_at bigint NOT NULL,"
            " sha256 text NOT NULL UNIQUE,"
            " version text NOT NULL DEFAULT '',"
            " replay bytea NOT NULL)");
    db.fRun("CREATE INDEX entries_by_score ON entries (score DESC, seq)");
    db.fRun("CREATE INDEX entries_by_date ON entries (registered_at DESC, seq DESC)");
    // The check queue: 'pending' until a checker claims it, 'running' under a lease, 'done' with
    // its verdict until the waiting web node takes it.
    db.fRun("CREATE TABLE checks ("
            " id bigserial PRIMARY KEY,"
            " request_id text NOT NULL,"
            " name text NOT NULL,"
            " score integer NOT NULL,"
            " digest text NOT NULL,"
            " replay bytea,"
            " state text NOT NULL DEFAULT 'pending',"
            " lease_until timestamptz,"
            " attempts integer NOT NULL DEFAULT 0,"
            " verdict_status integer,"
            " verdict_reply text,"
            " finished_at timestamptz)");
    db.fRun("CREATE INDEX checks_open ON checks (id) WHERE state <> 'done'");
}

} // namespace

CPostgresRankingStore::CPostgresRankingStore(CPostgresConnections& connections) : mConnections(connections) {
    fMigrate();
}

void CPostgresRankingStore::fMigrate() {
    CPostgresConnections::CLease lease = mConnections.fTake();
    fInTransaction(lease, [this](CPostgresConnections::CLease& db) {
        db.fRun(kSchemaLock);
        db.fRun("CREATE TABLE IF NOT EXISTS schema_version (version integer NOT NULL)");
        const CPgRows found = db.fRun("SELECT COALESCE(MAX(version), 0) FROM schema_version");
        const int version = fInt(found, 0, 0);
        if (version > kSchemaVersion) {
            throw std::runtime_error("the database has the schema version " + std::to_string(version) +
                                     ", newer than this server's " + std::to_string(kSchemaVersion));
        }
        if (version < 1) {
            fCreateFirstSchema(db);
        }
        if (version < 2) {
            // What each entry's check saw (NULL for the entries from before, whose runs are not known), and
            // the pictures of the result screens, painted after the checks.
            db.fRun("ALTER TABLE entries ADD COLUMN frames integer, ADD COLUMN dishes text,"
                    " ADD COLUMN kills integer, ADD COLUMN max_rank integer, ADD COLUMN faints integer");
            db.fRun("CREATE TABLE result_pictures ("
                    " id text PRIMARY KEY REFERENCES entries (id) ON DELETE CASCADE,"
                    " png bytea NOT NULL)");
        }
        if (version < 3) {
            // Every change to the entries, whoever makes it, tells the listening nodes that their lists are
            // stale (delivered at commit, once per transaction and channel).
            db.fRun("CREATE OR REPLACE FUNCTION tavoni_entries_changed() RETURNS trigger LANGUAGE plpgsql AS"
                    " $$ BEGIN PERFORM pg_notify('tavoni_entries', ''); RETURN NULL; END $$");
            db.fRun("CREATE TRIGGER entries_changed AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE ON entries"
                    " FOR EACH STATEMENT EXECUTE FUNCTION tavoni_entries_changed()");
        }
        if (version < 4) {
            // Moderation: when an entry was hidden and why; NULL while it is shown. Hiding is an UPDATE, so
            // the trigger above tells every node.
            db.fRun("ALTER TABLE entries ADD COLUMN hidden_at bigint, ADD COLUMN hidden_reason text");
        }
        if (version < 5) {
            // When each check was queued, so the age of the oldest waiting one can be told (metrics, health).
            db.fRun("ALTER TABLE checks ADD COLUMN queued_at timestamptz NOT NULL DEFAULT now()");
        }
        if (version < 6) {
            fAddRankCounts(db);
        }
        if (version != kSchemaVersion) {
            // A new store is created, not upgraded from a version it never had.
            fServerLog(version == 0
                           ? "store: created with schema version " + std::to_string(kSchemaVersion) + " in " +
                                 mConnections.fDescription()
                           : "store: schema version " + std::to_string(version) + " upgraded to " +
                                 std::to_string(kSchemaVersion) + " in " + mConnections.fDescription());
            db.fRun("DELETE FROM schema_version");
            db.fRun("INSERT INTO schema_version (version) VALUES ($1)", {SPgValue::fNumber(kSchemaVersion)});
        }
        return 0;
    });
}

void CPostgresRankingStore::fAddRankCounts(CPostgresConnections::CLease& db) {
    // Ranks and the places of pages come from kept counts, so that no request reads the whole ranking.
    for (const std::string& sql : fCreateCountsSql("")) {
        db.fRun(sql.c_str());
    }
    // Per statement, over its transition tables: a row trigger would update the top counts once per row, and
    // a bulk insert in one transaction would leave a version of them behind for each.
    db.fRun(
        ("CREATE OR REPLACE FUNCTION tavoni_entries_counted() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN"
         " IF TG_OP = 'INSERT' THEN " +
         fCountChangesSql({{"added", 1}}) + "ELSIF TG_OP = 'DELETE' THEN " +
         fCountChangesSql({{"removed", -1}}) + "ELSE " + fCountChangesSql({{"removed", -1}, {"added", 1}}) +
         "END IF; RETURN NULL; END $$")
            .c_str());
    db.fRun("CREATE TRIGGER entries_counted_in AFTER INSERT ON entries REFERENCING NEW TABLE AS added"
            " FOR EACH STATEMENT EXECUTE FUNCTION tavoni_entries_counted()");
    db.fRun("CREATE TRIGGER entries_counted_out AFTER DELETE ON entries REFERENCING OLD TABLE AS removed"
            " FOR EACH STATEMENT EXECUTE FUNCTION tavoni_entries_counted()");
    db.fRun("CREATE TRIGGER entries_counted_moved AFTER UPDATE ON entries REFERENCING OLD TABLE AS removed"
            " NEW TABLE AS added FOR EACH STATEMENT EXECUTE FUNCTION tavoni_entries_counted()");
    db.fRun("CREATE OR REPLACE FUNCTION tavoni_entries_emptied() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN"
            " DELETE FROM score_counts; DELETE FROM date_counts; RETURN NULL; END $$");
    db.fRun("CREATE TRIGGER entries_emptied AFTER TRUNCATE ON entries FOR EACH STATEMENT"
            " EXECUTE FUNCTION tavoni_entries_emptied()");
}

int CPostgresRankingStore::fRankOf(CPostgresConnections::CLease& lease, int score) {
    return fInt(lease.fRun(fRankSql().c_str(), {SPgValue::fNumber(score)}), 0, 0);
}

CRankingStore::SAdded CPostgresRankingStore::fAdd(const SNewEntry& added) {
    CPostgresConnections::CLease lease = mConnections.fTake();
    SListedEntry entry;
    entry.name = added.name;
    entry.score = added.score;
    entry.version = added.version;
    entry.run = added.run;
    const std::optional<SRunSummary>& run = added.run;
    entry.registeredAt =
        added.registeredAt != 0 ? added.registeredAt : static_cast<std::int64_t>(std::time(nullptr));
    for (int attempt = 0; attempt < 3; ++attempt) {
        entry.id = added.id.empty() ? fRandomHex(16) : added.id;
        if (!fIsServerReplayId(entry.id)) {
            throw std::runtime_error("not a replay id: " + fLogSafe(entry.id));
        }
        // Entries are stored one at a time, by whichever node: each answered rank is then its rank among
        // the entries stored before it, as on SQLite. They are rare (each follows a game run), so the lock
        // costs nothing. The same bytes arriving twice meet at the digest's unique index.
        std::optional<SAdded> result = fInTransaction(lease, [&](CPostgresConnections::CLease& db) {
            db.fRun(kEntryLock);
            const CPgRows inserted = db.fRun(
                "INSERT INTO entries (id, name, score, registered_at, sha256, version, replay, frames, "
                "dishes,"
                " kills, max_rank, faints) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12)"
                " ON CONFLICT DO NOTHING RETURNING seq",
                {SPgValue::fText(entry.id), SPgValue::fText(added.name), SPgValue::fNumber(added.score),
                 SPgValue::fNumber(entry.registeredAt), SPgValue::fText(added.digest),
                 SPgValue::fText(added.version), SPgValue::fBytes(added.replay), fRunValue(run, 0),
                 fRunValue(run, 1), fRunValue(run, 2), fRunValue(run, 3), fRunValue(run, 4)});
            if (inserted.fCount() == 1) {
                SListedEntry stored = entry;
                stored.rank = fRankOf(db, added.score);
                return std::optional<SAdded>(SAdded{stored, true});
            }
            const CPgRows existing =
                db.fRun((fEntrySelectSql() + " WHERE sha256 = $1").c_str(), {SPgValue::fText(added.digest)});
            if (existing.fCount() == 1) {
                SListedEntry known = fReadEntry(existing, 0);
                known.rank = fRankOf(db, known.score);
                return std::optional<SAdded>(SAdded{known, false});
            }
            return std::optional<SAdded>();
        });
        // Committed: only now may the upload be answered.
        if (result) {
            if (result->stored) {
                fNoteChange();
            }
            return *result;
        }
        if (!added.id.empty()) {
            throw std::runtime_error("the id " + added.id + " is taken by another replay");
        }
        // Two random ids met; another one will not.
    }
    throw std::runtime_error("no free replay id");
}

std::optional<SListedEntry> CPostgresRankingStore::fFindReplay(const std::string& digest) {
    CPostgresConnections::CLease lease = mConnections.fTake();
    const CPgRows rows =
        lease.fRun((fEntrySelectSql() + " WHERE sha256 = $1").c_str(), {SPgValue::fText(digest)});
    if (rows.fCount() == 0) {
        return std::nullopt;
    }
    SListedEntry e = fReadEntry(rows, 0);
    e.rank = fRankOf(lease, e.score);
    return e;
}

std::vector<SListedEntry> CPostgresRankingStore::fList(ERankingOrder order, int offset, int limit) {
    if (offset < 0 || limit <= 0) {
        return {};
    }
    std::vector<SListedEntry> entries;
    {
        CPostgresConnections::CLease lease = mConnections.fTake();
        const CPgRows rows = lease.fRun(fListSelectSql(order, ESqlDialect::Postgres).c_str(),
                                        {SPgValue::fNumber(offset), SPgValue::fNumber(limit)});
        for (int i = 0; i < rows.fCount(); ++i) {
            entries.push_back(fReadEntry(rows, i));
        }
    } // the connection goes back before hiding takes one
    std::vector<SSetAside> found;
    entries = fServablePage(std::move(entries), order, offset, found);
    fSetAside(found);
    return entries;
}

int CPostgresRankingStore::fCount() {
    CPostgresConnections::CLease lease = mConnections.fTake();
    return fInt(lease.fRun(fCountSql().c_str()), 0, 0);
}

std::int64_t CPostgresRankingStore::fHiddenCount() {
    CPostgresConnections::CLease lease = mConnections.fTake();
    return fInt(lease.fRun("SELECT COUNT(*) FROM entries WHERE hidden_at IS NOT NULL"), 0, 0);
}

std::uint64_t CPostgresRankingStore::fGeneration() {
    // Listened for from the first list on (checkers never ask), so that this, asked on every list request,
    // costs no round trip.
    std::call_once(mListenerMade, [this] {
        mListener = std::make_unique<CPostgresListener>(mConnections);
        mListening = mListener.get();
    });
    return mListener->fGeneration();
}

void CPostgresRankingStore::fNoteChange() {
    // A node that has not listed yet keeps nothing to make stale.
    if (CPostgresListener* listener = mListening.load()) {
        listener->fNoteChange();
    }
}

std::optional<std::string> CPostgresRankingStore::fReplay(const std::string& id) {
    // Served only for an entry that is: not hidden, and a row that keeps the rules.
    if (!fEntry(id)) {
        return std::nullopt;
    }
    CPostgresConnections::CLease lease = mConnections.fTake();
    const CPgRows rows = lease.fRun("SELECT replay FROM entries WHERE id = $1 AND hidden_at IS NULL",
                                    {SPgValue::fText(id)}, true);
    if (rows.fCount() == 0) {
        return std::nullopt;
    }
    return rows.fBytes(0, 0, kMaxUploadBytes);
}

std::optional<SListedEntry> CPostgresRankingStore::fEntry(const std::string& id) {
    std::vector<SSetAside> found;
    {
        CPostgresConnections::CLease lease = mConnections.fTake();
        const CPgRows rows = lease.fRun((fEntrySelectSql() + " WHERE id = $1 AND hidden_at IS NULL").c_str(),
                                        {SPgValue::fText(id)});
        if (rows.fCount() == 0) {
            return std::nullopt;
        }
        SListedEntry e = fReadEntry(rows, 0);
        if (fServable(e, &found)) {
            e.rank = fRankOf(lease, e.score);
            return e;
        }
    } // the connection goes back before hiding takes one
    fSetAside(found);
    return std::nullopt;
}

bool CPostgresRankingStore::fPutResultPicture(const std::string& id, const std::string& png) {
    CPostgresConnections::CLease lease = mConnections.fTake();
    const CPgRows rows =
        lease.fRun("INSERT INTO result_pictures (id, png) SELECT id, $2 FROM entries WHERE id = $1"
                   " ON CONFLICT (id) DO UPDATE SET png = EXCLUDED.png RETURNING id",
                   {SPgValue::fText(id), SPgValue::fBytes(png)});
    return rows.fCount() == 1;
}

std::optional<std::string> CPostgresRankingStore::fResultPicture(const std::string& id) {
    if (!fEntry(id)) {
        return std::nullopt;
    }
    CPostgresConnections::CLease lease = mConnections.fTake();
    // The length first: a value larger than any picture of ours is not fetched whole.
    const CPgRows rows = lease.fRun("SELECT CASE WHEN length(png) <= $2 THEN png END FROM result_pictures"
                                    " WHERE id = $1",
                                    {SPgValue::fText(id), SPgValue::fNumber(kMaxResultPictureBytes)}, true);
    if (rows.fCount() == 0) {
        return std::nullopt;
    }
    if (rows.fIsNull(0, 0)) {
        fServerLog("store: the result picture of " + fLogSafe(id, 40) +
                   " is larger than any picture of ours");
        return std::nullopt;
    }
    return rows.fBytes(0, 0, kMaxResultPictureBytes);
}

bool CPostgresRankingStore::fAnswers() {
    try {
        CPostgresConnections::CLease lease = mConnections.fTake();
        lease.fRun("SELECT MAX(version) FROM schema_version");
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

EHideResult CPostgresRankingStore::fChangeHidden(const char* sql, const std::vector<SPgValue>& params) {
    CPostgresConnections::CLease lease = mConnections.fTake();
    if (lease.fRun(sql, params).fCount() == 1) {
        fNoteChange();
        return EHideResult::Done;
    }
    const CPgRows found = lease.fRun("SELECT 1 FROM entries WHERE id = $1", {params.at(0)});
    return found.fCount() == 1 ? EHideResult::AlreadySo : EHideResult::NoEntry;
}

EHideResult CPostgresRankingStore::fHide(const std::string& id, const std::string& reason, std::int64_t at) {
    return fChangeHidden("UPDATE entries SET hidden_at = $2, hidden_reason = $3"
                         " WHERE id = $1 AND hidden_at IS NULL RETURNING id",
                         {SPgValue::fText(id), SPgValue::fNumber(at), SPgValue::fText(reason)});
}

void CPostgresRankingStore::fSetAside(const std::vector<SSetAside>& rows) {
    fHideSetAside(rows, [this](const std::string& id, const std::string& reason, std::int64_t at) {
        return fHide(id, reason, at);
    });
}

EHideResult CPostgresRankingStore::fUnhide(const std::string& id) {
    return fChangeHidden("UPDATE entries SET hidden_at = NULL, hidden_reason = NULL"
                         " WHERE id = $1 AND hidden_at IS NOT NULL RETURNING id",
                         {SPgValue::fText(id)});
}

std::vector<SListedEntry> CPostgresRankingStore::fHidden() {
    CPostgresConnections::CLease lease = mConnections.fTake();
    const CPgRows rows = lease.fRun(
        (fEntrySelectSql() + " WHERE hidden_at IS NOT NULL ORDER BY hidden_at DESC, seq DESC").c_str());
    std::vector<SListedEntry> entries;
    for (int i = 0; i < rows.fCount(); ++i) {
        entries.push_back(fReadEntry(rows, i));
    }
    return entries;
}
