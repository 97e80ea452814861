#include "CSqliteRankingStore.h"

#include "PngFile.h"
#include "RandomId.h"
#include "RankPosition.h"
#include "RankingSql.h"
#include "ServerLog.h"
#include "StoredEntryCheck.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <set>
#include <sqlite3.h>
#include <stdexcept>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* kTemporaryPrefix = ".tmp-";

struct SStatement {
    sqlite3_stmt* statement = nullptr;
    SStatement(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
            throw std::runtime_error(std::string("database: ") + sqlite3_errmsg(db));
        }
    }
    ~SStatement() { sqlite3_finalize(statement); }
    SStatement(const SStatement&) = delete;
    SStatement& operator=(const SStatement&) = delete;
};

void fSyncPath(const fs::path& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) {
        throw std::runtime_error("cannot open " + path.string() + ": " + std::strerror(errno));
    }
    const int result = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    if (result != 0) {
        throw std::runtime_error("cannot sync " + path.string() + ": " + std::strerror(error));
    }
}

// Writes `bytes` to `path` (which must not exist) and fsyncs it.
void fWriteDurably(const fs::path& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        throw std::runtime_error("cannot create " + path.string() + ": " + std::strerror(errno));
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int error = errno;
            ::close(fd);
            throw std::runtime_error("cannot write " + path.string() + ": " + std::strerror(error));
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        throw std::runtime_error("cannot sync " + path.string() + ": " + std::strerror(error));
    }
    ::close(fd);
}

// What the check saw, when every column of it is there and sound; a row from before it was kept, or one
// edited by hand into nonsense, shows it as unknown.
std::optional<SRunSummary> fReadRun(sqlite3_stmt* s, int first) {
    for (int column = first; column < first + 5; ++column) {
        if (sqlite3_column_type(s, column) == SQLITE_NULL) {
            return std::nullopt;
        }
    }
    SRunSummary run;
    const sqlite3_int64 numbers[] = {sqlite3_column_int64(s, first), sqlite3_column_int64(s, first + 2),
                                     sqlite3_column_int64(s, first + 3), sqlite3_column_int64(s, first + 4)};
    for (const sqlite3_int64 n : numbers) {
        if (n < 0 || n > INT_MAX) {
            return std::nullopt;
        }
    }
    run.frames = static_cast<int>(numbers[0]);
    run.kills = static_cast<int>(numbers[1]);
    run.maxRank = static_cast<int>(numbers[2]);
    run.faints = static_cast<int>(numbers[3]);
    const unsigned char* dishes = sqlite3_column_text(s, first + 1);
    std::optional<std::vector<int>> list =
        fParseDishList(dishes != nullptr ? reinterpret_cast<const char*>(dishes) : "");
    if (!list) {
        return std::nullopt;
    }
    run.dishes = std::move(*list);
    return run;
}

// Reads at most `limit` + 1 bytes, so that a file larger than `limit` is seen to be.
std::string fReadLimited(const fs::path& file, std::size_t limit) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        throw std::runtime_error("cannot open " + file.string() + ": " + std::strerror(errno));
    }
    std::string bytes;
    char buffer[65536];
    while (bytes.size() <= limit) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            throw std::runtime_error("cannot read " + file.string() + ": " + std::strerror(error));
        }
        if (n == 0) {
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(std::min<std::size_t>(static_cast<std::size_t>(n),
                                                                            limit + 1 - bytes.size())));
    }
    ::close(fd);
    return bytes;
}

// Writes `bytes` durably under `final` in `folder`: a synced temporary file renamed into place, then the
// folder synced.
void fPlaceDurably(const fs::path& folder, const std::string& name, const std::string& bytes) {
    const fs::path temporary = folder / (kTemporaryPrefix + name);
    const fs::path final = folder / name;
    std::error_code error;
    fs::remove(temporary, error);
    fWriteDurably(temporary, bytes);
    fs::rename(temporary, final, error);
    if (error) {
        fs::remove(temporary, error);
        throw std::runtime_error("cannot rename " + temporary.string() + ": " + error.message());
    }
    fSyncPath(folder, O_RDONLY | O_DIRECTORY);
}

// The numbers of a shared query, whose parameters are named $1, $2...
void fBindNumbers(sqlite3_stmt* s, const std::vector<std::int64_t>& numbers) {
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        const int index = sqlite3_bind_parameter_index(s, ("$" + std::to_string(i + 1)).c_str());
        if (index > 0) {
            sqlite3_bind_int64(s, index, numbers[i]);
        }
    }
}

// Columns as RankingSql.h gives them. Read as stored, for fServable to judge: text with any NUL bytes in it,
// and a number stored as text or out of range as a value the check refuses.
SListedEntry fReadEntry(sqlite3_stmt* s) {
    SListedEntry e;
    // A NULL where text belongs reads as empty rather than crashing.
    const auto text = [s](int column) {
        const unsigned char* value = sqlite3_column_text(s, column);
        return value != nullptr ? std::string(reinterpret_cast<const char*>(value),
                                              static_cast<std::size_t>(sqlite3_column_bytes(s, column)))
                                : std::string();
    };
    const auto number = [s](int column, std::int64_t low, std::int64_t high, std::int64_t refused) {
        if (sqlite3_column_type(s, column) != SQLITE_INTEGER) {
            return refused;
        }
        const std::int64_t value = sqlite3_column_int64(s, column);
        return value < low || value > high ? refused : value;
    };
    e.id = text(0);
    e.name = text(1);
    e.score = static_cast<int>(number(2, 1, INT_MAX, 0));
    e.registeredAt = number(3, 0, INT64_MAX, -1);
    e.rank = static_cast<int>(number(4, 0, INT_MAX, 0));
    e.version = text(5);
    e.run = fReadRun(s, 6);
    if (sqlite3_column_type(s, 11) != SQLITE_NULL) {
        e.hiddenAt = sqlite3_column_int64(s, 11);
        e.hiddenReason = text(12);
    }
    return e;
}

// The database file's name as an SQLite URI path: absolute, with the bytes a URI gives a meaning escaped.
std::string fUriPath(const fs::path& file) {
    std::string out;
    for (const char c : fs::absolute(file).string()) {
        if (c == '%' || c == '?' || c == '#') {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02x", static_cast<unsigned char>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

// An entry's replay file, at most an upload's size: a larger file is not one of ours.
std::string fReadReplayFile(const fs::path& folder, const std::string& id) {
    if (!fIsServerReplayId(id)) {
        throw std::runtime_error("the entry " + fLogSafe(id) + " has no replay file name");
    }
    const fs::path file = folder / id;
    std::string bytes = fReadLimited(file, kMaxUploadBytes);
    if (bytes.size() > kMaxUploadBytes) {
        throw std::runtime_error("cannot read " + file.string() + ": larger than any replay");
    }
    return bytes;
}

} // namespace

CSqliteRankingStore::CSqliteRankingStore(const fs::path& dataFolder, EOpen open)
    : mFolder(dataFolder), mReplays(dataFolder / "replays"), mResults(dataFolder / "results"),
      mDatabase(dataFolder / "ranking.sqlite3") {
    if (open != EOpen::Serve && !fs::is_regular_file(mDatabase)) {
        throw std::runtime_error("no SQLite ranking in " + mFolder.string() + " (no ranking.sqlite3)");
    }
    if (open == EOpen::Source) {
        fOpenSource();
        return;
    }
    if (open == EOpen::Serve) {
        fs::create_directories(mReplays);
        fs::create_directories(mResults);
    }
    const int flags =
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (open == EOpen::Serve ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(mDatabase.c_str(), &mDb, flags, nullptr) != SQLITE_OK) {
        const std::string why = mDb != nullptr ? sqlite3_errmsg(mDb) : "out of memory";
        sqlite3_close(mDb);
        throw std::runtime_error("cannot open the database " + mDatabase.string() + ": " + why);
    }
    try {
        sqlite3_busy_timeout(mDb, 10000);
        fExec("PRAGMA journal_mode=WAL");
        // FULL: a commit is on disk before it returns, so an acknowledged upload survives a power cut too.
        fExec("PRAGMA synchronous=FULL");
        fMigrate();
        // Only the server may: a command run beside it would take an upload under way for a leftover.
        if (open == EOpen::Serve) {
            fRecover();
        }
    } catch (...) {
        sqlite3_close(mDb);
        throw;
    }
}

void CSqliteRankingStore::fOpenSource() {
    // A ranking whose server has stopped has everything in its database file, which is then read as
    // immutable: SQLite makes no -wal or -shm file beside it. One with a write-ahead log (its server running
    // --read-only) is read with the log.
    std::error_code error;
    const bool logged = fs::exists(mDatabase.string() + "-wal", error);
    const std::string uri = "file:" + fUriPath(mDatabase) + (logged ? "?mode=ro" : "?mode=ro&immutable=1");
    if (sqlite3_open_v2(uri.c_str(), &mDb, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        const std::string why = mDb != nullptr ? sqlite3_errmsg(mDb) : "out of memory";
        sqlite3_close(mDb);
        throw std::runtime_error("cannot read the database " + mDatabase.string() + ": " + why);
    }
    try {
        sqlite3_busy_timeout(mDb, 10000);
        const int version = fSchemaVersion();
        if (version < 1 || version > kSchemaVersion) {
            throw std::runtime_error("the database " + mDatabase.string() + " has the schema version " +
                                     std::to_string(version) + ", which this server cannot read");
        }
        // An older schema is read through a view of today's columns, in the connection's own temporary
        // schema (which is searched first): the file itself is not upgraded.
        if (version < kSchemaVersion) {
            const std::string columns =
                std::string("seq, id, name, score, registered_at, sha256") +
                (version >= 2 ? ", version" : ", '' AS version") +
                (version >= 3 ? ", frames, dishes, kills, max_rank, faints"
                              : ", NULL AS frames, NULL AS dishes, NULL AS kills, NULL AS max_rank,"
                                " NULL AS faints") +
                ", NULL AS hidden_at, NULL AS hidden_reason";
            fExec(("CREATE TEMP VIEW entries AS SELECT " + columns + " FROM main.entries").c_str());
        }
    } catch (...) {
        sqlite3_close(mDb);
        throw;
    }
}

CSqliteRankingStore::~CSqliteRankingStore() {
    sqlite3_close(mDb);
}

void CSqliteRankingStore::fExec(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(mDb, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string why = message != nullptr ? message : "unknown error";
        sqlite3_free(message);
        throw std::runtime_error(std::string("database: ") + why + " in: " + sql);
    }
}

int CSqliteRankingStore::fSchemaVersion() {
    SStatement s(mDb, "SELECT (SELECT COUNT(*) FROM main.sqlite_master WHERE name = 'schema_version'),"
                      " (SELECT COUNT(*) FROM main.sqlite_master WHERE name = 'entries')");
    if (sqlite3_step(s.statement) != SQLITE_ROW) {
        throw std::runtime_error(std::string("database: ") + sqlite3_errmsg(mDb));
    }
    // The first folders had the entries and no schema_version table.
    int version = sqlite3_column_int(s.statement, 1) > 0 ? 1 : 0;
    if (sqlite3_column_int(s.statement, 0) > 0) {
        SStatement v(mDb, "SELECT MAX(version) FROM main.schema_version");
        version = sqlite3_step(v.statement) == SQLITE_ROW ? sqlite3_column_int(v.statement, 0) : 0;
    }
    return version;
}

void CSqliteRankingStore::fMigrate() {
    // One transaction: a server stopped half-way leaves the schema as it was, and the next start tries again.
    fExec("BEGIN IMMEDIATE");
    try {
        const int version = fSchemaVersion();
        if (version > kSchemaVersion) {
            throw std::runtime_error("the database " + mDatabase.string() + " has the schema version " +
                                     std::to_string(version) + ", newer than this server's " +
                                     std::to_string(kSchemaVersion));
        }
        if (version < 1) {
            fExec("CREATE TABLE entries ("
                  " seq INTEGER PRIMARY KEY AUTOINCREMENT,"
                  " id TEXT NOT NULL UNIQUE,"
                  " name TEXT NOT NULL,"
                  " score INTEGER NOT NULL,"
                  " registered_at INTEGER NOT NULL,"
                  " sha256 TEXT NOT NULL UNIQUE)");
            fExec("CREATE INDEX entries_by_score ON entries(score DESC, seq)");
            fExec("CREATE INDEX entries_by_date ON entries(registered_at DESC, seq DESC)");
        }
        if (version < 2) {
            fExec("ALTER TABLE entries ADD COLUMN version TEXT NOT NULL DEFAULT ''");
            fExec("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)");
        }
        if (version < 3) {
            // What each entry's check saw; NULL for the entries from before, whose runs are not known.
            for (const char* column :
                 {"frames INTEGER", "dishes TEXT", "kills INTEGER", "max_rank INTEGER", "faints INTEGER"}) {
                fExec((std::string("ALTER TABLE entries ADD COLUMN ") + column).c_str());
            }
        }
        if (version < 4) {
            // Moderation: when an entry was hidden and why; NULL while it is shown.
            fExec("ALTER TABLE entries ADD COLUMN hidden_at INTEGER");
            fExec("ALTER TABLE entries ADD COLUMN hidden_reason TEXT");
        }
        if (version < 5) {
            fAddRankCounts();
        }
        if (version != kSchemaVersion) {
            // A new store is created, not upgraded from a version it never had.
            fServerLog(version == 0 ? "store: created with schema version " + std::to_string(kSchemaVersion) +
                                          " in " + mDatabase.string()
                                    : "store: schema version " + std::to_string(version) + " upgraded to " +
                                          std::to_string(kSchemaVersion) + " in " + mDatabase.string());
            fExec("DELETE FROM schema_version");
            fExec(("INSERT INTO schema_version (version) VALUES (" + std::to_string(kSchemaVersion) + ")")
                      .c_str());
        }
        fExec("COMMIT");
    } catch (...) {
        sqlite3_exec(mDb, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

void CSqliteRankingStore::fAddRankCounts() {
    // Ranks and the places of pages come from kept counts, so that no request reads the whole ranking.
    for (const std::string& sql : fCreateCountsSql(" WITHOUT ROWID")) {
        fExec(sql.c_str());
    }
    const std::string in = fCountChangeSql("NEW", 1);
    const std::string out = fCountChangeSql("OLD", -1);
    fExec(("CREATE TRIGGER entries_counted_in AFTER INSERT ON entries BEGIN " + in + "END").c_str());
    fExec(("CREATE TRIGGER entries_counted_out AFTER DELETE ON entries BEGIN " + out + "END").c_str());
    fExec(("CREATE TRIGGER entries_counted_moved AFTER UPDATE OF score, registered_at, hidden_at ON entries "
           "BEGIN " +
           out + in + "END")
              .c_str());
}

std::vector<std::pair<std::int64_t, std::int64_t>>
CSqliteRankingStore::fNumbers(const std::string& sql, const std::vector<std::int64_t>& parameters) {
    SStatement s(mDb, sql.c_str());
    fBindNumbers(s.statement, parameters);
    std::vector<std::pair<std::int64_t, std::int64_t>> rows;
    const bool two = sqlite3_column_count(s.statement) > 1;
    int step = 0;
    while ((step = sqlite3_step(s.statement)) == SQLITE_ROW) {
        rows.emplace_back(sqlite3_column_int64(s.statement, 0),
                          two ? sqlite3_column_int64(s.statement, 1) : 0);
    }
    if (step != SQLITE_DONE) {
        throw std::runtime_error(std::string("database: ") + sqlite3_errmsg(mDb));
    }
    return rows;
}

void CSqliteRankingStore::fRecover() {
    std::set<std::string> ids;
    {
        SStatement s(mDb, "SELECT id FROM entries");
        while (sqlite3_step(s.statement) == SQLITE_ROW) {
            const unsigned char* id = sqlite3_column_text(s.statement, 0);
            ids.insert(id != nullptr ? reinterpret_cast<const char*>(id) : "");
        }
    }
    std::set<std::string> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(mReplays)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(kTemporaryPrefix)) {
            fServerLog("store: removing " + name + ", left by an upload that never finished");
            fs::remove(entry.path());
        } else if (ids.count(name) == 0) {
            // Renamed into place, but the server stopped before its row was committed: never acknowledged.
            fServerLog("store: removing the replay " + name + ", whose entry was never committed");
            fs::remove(entry.path());
        } else {
            files.insert(name);
        }
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(mResults)) {
        const std::string name = entry.path().filename().string();
        const std::string id = name.ends_with(".png") ? name.substr(0, name.size() - 4) : std::string();
        if (name.starts_with(kTemporaryPrefix)) {
            fs::remove(entry.path());
        } else if (fIsServerReplayId(id) && ids.count(id) == 0) {
            fServerLog("store: removing the result picture " + name + ", whose entry was never committed");
            fs::remove(entry.path());
        }
    }
    // A few by name and then how many: a ranking filled without its replays would otherwise fill the log.
    std::size_t missing = 0;
    for (const std::string& id : ids) {
        if (files.count(id) == 0 && ++missing <= 10) {
            fServerLog("store: warning: the entry " + id + " has no replay file");
        }
    }
    if (missing > 10) {
        fServerLog("store: warning: " + std::to_string(missing) + " entries in all have no replay file");
    }
}

std::optional<SListedEntry> CSqliteRankingStore::fFindByDigest(const std::string& digest) {
    SStatement s(mDb, (fEntrySelectSql() + " WHERE sha256 = ?1").c_str());
    sqlite3_bind_text(s.statement, 1, digest.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(s.statement) != SQLITE_ROW) {
        return std::nullopt;
    }
    SListedEntry e = fReadEntry(s.statement);
    e.rank = fRankOf(e.score);
    return e;
}

int CSqliteRankingStore::fRankOf(int score) {
    const auto rows = fNumbers(fRankSql(), {score});
    return rows.empty() ? 1 : static_cast<int>(rows[0].first);
}

std::optional<SListedEntry> CSqliteRankingStore::fFindReplay(const std::string& digest) {
    const std::lock_guard<std::mutex> lock(mMutex);
    return fFindByDigest(digest);
}

CRankingStore::SAdded CSqliteRankingStore::fAdd(const SNewEntry& added) {
    const std::lock_guard<std::mutex> lock(mMutex);
    if (std::optional<SListedEntry> existing = fFindByDigest(added.digest)) {
        return {*existing, false};
    }
    const std::string id = added.id.empty() ? fRandomHex(16) : added.id;
    if (!fIsServerReplayId(id)) {
        throw std::runtime_error("not a replay id: " + fLogSafe(id));
    }
    fPlaceDurably(mReplays, id, added.replay);
    const fs::path final = mReplays / id;
    std::error_code error;

    SListedEntry entry;
    entry.id = id;
    entry.name = added.name;
    entry.score = added.score;
    entry.version = added.version;
    entry.run = added.run;
    entry.registeredAt =
        added.registeredAt != 0 ? added.registeredAt : static_cast<std::int64_t>(std::time(nullptr));
    {
        SStatement s(mDb,
                     "INSERT INTO entries (id, name, score, registered_at, sha256, version, frames, dishes,"
                     " kills, max_rank, faints) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11)");
        sqlite3_bind_text(s.statement, 1, id.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(s.statement, 2, added.name.c_str(), static_cast<int>(added.name.size()),
                          SQLITE_TRANSIENT);
        sqlite3_bind_int(s.statement, 3, added.score);
        sqlite3_bind_int64(s.statement, 4, entry.registeredAt);
        sqlite3_bind_text(s.statement, 5, added.digest.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(s.statement, 6, added.version.c_str(), static_cast<int>(added.version.size()),
                          SQLITE_TRANSIENT);
        if (added.run) {
            const std::string dishes = fFormatDishList(added.run->dishes);
            sqlite3_bind_int(s.statement, 7, added.run->frames);
            sqlite3_bind_text(s.statement, 8, dishes.c_str(), static_cast<int>(dishes.size()),
                              SQLITE_TRANSIENT);
            sqlite3_bind_int(s.statement, 9, added.run->kills);
            sqlite3_bind_int(s.statement, 10, added.run->maxRank);
            sqlite3_bind_int(s.statement, 11, added.run->faints);
        } // unbound parameters are NULL: not known
        if (sqlite3_step(s.statement) != SQLITE_DONE) {
            const std::string why = sqlite3_errmsg(mDb);
            fs::remove(final, error);
            throw std::runtime_error("database: cannot add the entry: " + why);
        }
    }
    entry.rank = fRankOf(added.score);
    ++mGeneration;
    return {entry, true};
}

std::vector<SListedEntry> CSqliteRankingStore::fList(ERankingOrder order, int offset, int limit) {
    const std::lock_guard<std::mutex> lock(mMutex);
    if (offset < 0 || limit <= 0) {
        return {};
    }
    SStatement s(mDb, fListSelectSql(order, ESqlDialect::Sqlite).c_str());
    fBindNumbers(s.statement, {offset, limit});
    std::vector<SListedEntry> entries;
    int step = 0;
    while ((step = sqlite3_step(s.statement)) == SQLITE_ROW) {
        entries.push_back(fReadEntry(s.statement));
    }
    if (step != SQLITE_DONE) {
        throw std::runtime_error(std::string("database: ") + sqlite3_errmsg(mDb));
    }
    std::vector<SSetAside> found;
    entries = fServablePage(std::move(entries), order, offset, found);
    fSetAside(found);
    return entries;
}

int CSqliteRankingStore::fCount() {
    const std::lock_guard<std::mutex> lock(mMutex);
    const auto rows = fNumbers(fCountSql(), {});
    return rows.empty() ? 0 : static_cast<int>(std::min<std::int64_t>(rows[0].first, INT_MAX));
}

std::int64_t CSqliteRankingStore::fHiddenCount() {
    const std::lock_guard<std::mutex> lock(mMutex);
    SStatement s(mDb, "SELECT COUNT(*) FROM entries WHERE hidden_at IS NOT NULL");
    return sqlite3_step(s.statement) == SQLITE_ROW ? sqlite3_column_int64(s.statement, 0) : 0;
}

std::uint64_t CSqliteRankingStore::fGeneration() {
    const std::lock_guard<std::mutex> lock(mMutex);
    // A commit by another connection (a moderator's command, a hand edit, another process) changes the data
    // version; this connection's own commits do not, and are counted where they are made. When it cannot be
    // read, every call is a change: nothing is kept.
    std::int64_t version = -1;
    try {
        SStatement s(mDb, "PRAGMA data_version");
        if (sqlite3_step(s.statement) == SQLITE_ROW) {
            version = sqlite3_column_int64(s.statement, 0);
        }
    } catch (const std::exception&) {
    }
    if (version < 0 || version != mDataVersion) {
        mDataVersion = version;
        ++mGeneration;
    }
    return mGeneration;
}

std::optional<std::string> CSqliteRankingStore::fReplay(const std::string& id) {
    // Served only for an entry that is: not hidden, and a row that keeps the rules.
    if (!fEntry(id)) {
        return std::nullopt;
    }
    return fReadReplayFile(mReplays, id);
}

std::optional<std::string> CSqliteRankingStore::fStoredReplay(const std::string& id) {
    {
        const std::lock_guard<std::mutex> lock(mMutex);
        if (!fHasEntry(id)) {
            return std::nullopt;
        }
    }
    return fReadReplayFile(mReplays, id);
}

bool CSqliteRankingStore::fHasEntry(const std::string& id) {
    SStatement s(mDb, "SELECT 1 FROM entries WHERE id = ?1");
    sqlite3_bind_text(s.statement, 1, id.c_str(), static_cast<int>(id.size()), SQLITE_TRANSIENT);
    return sqlite3_step(s.statement) == SQLITE_ROW;
}

std::optional<SListedEntry> CSqliteRankingStore::fEntry(const std::string& id) {
    const std::lock_guard<std::mutex> lock(mMutex);
    SStatement s(mDb, (fEntrySelectSql() + " WHERE id = ?1 AND hidden_at IS NULL").c_str());
    sqlite3_bind_text(s.statement, 1, id.c_str(), static_cast<int>(id.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(s.statement) != SQLITE_ROW) {
        return std::nullopt;
    }
    SListedEntry e = fReadEntry(s.statement);
    std::vector<SSetAside> found;
    if (!fServable(e, &found)) {
        sqlite3_reset(s.statement); // done with the row before it is hidden
        fSetAside(found);
        return std::nullopt;
    }
    e.rank = fRankOf(e.score);
    return e;
}

bool CSqliteRankingStore::fPutResultPicture(const std::string& id, const std::string& png) {
    if (!fIsServerReplayId(id)) {
        throw std::runtime_error("not a replay id: " + fLogSafe(id));
    }
    // Under the lock, so that it cannot pass an entry being removed; entries are never removed while the
    // server runs, and a picture whose entry never committed is removed at the next start.
    const std::lock_guard<std::mutex> lock(mMutex);
    if (!fHasEntry(id)) {
        return false;
    }
    fPlaceDurably(mResults, id + ".png", png);
    return true;
}

std::optional<std::string> CSqliteRankingStore::fResultPicture(const std::string& id) {
    if (!fEntry(id)) {
        return std::nullopt;
    }
    return fStoredResultPicture(id);
}

std::optional<std::string> CSqliteRankingStore::fStoredResultPicture(const std::string& id) {
    if (!fIsServerReplayId(id)) {
        return std::nullopt;
    }
    const fs::path file = fResultPictureFile(id);
    std::error_code error;
    if (!fs::exists(file, error)) {
        return std::nullopt;
    }
    try {
        return fReadLimited(file, kMaxResultPictureBytes);
    } catch (const std::exception& e) {
        // A picture is only shown; one that cannot be read is as good as none.
        fServerLog(std::string("store: ") + e.what());
        return std::nullopt;
    }
}

EHideResult CSqliteRankingStore::fHide(const std::string& id, const std::string& reason, std::int64_t at) {
    const std::lock_guard<std::mutex> lock(mMutex);
    return fHideHeld(id, reason, at);
}

EHideResult CSqliteRankingStore::fHideHeld(const std::string& id, const std::string& reason,
                                           std::int64_t at) {
    SStatement s(mDb,
                 "UPDATE entries SET hidden_at = ?2, hidden_reason = ?3 WHERE id = ?1 AND hidden_at IS NULL");
    sqlite3_bind_int64(s.statement, 2, at);
    sqlite3_bind_text(s.statement, 3, reason.c_str(), static_cast<int>(reason.size()), SQLITE_TRANSIENT);
    return fChangeShown(s.statement, id, "hide");
}

void CSqliteRankingStore::fSetAside(const std::vector<SSetAside>& rows) {
    fHideSetAside(rows, [this](const std::string& id, const std::string& reason, std::int64_t at) {
        return fHideHeld(id, reason, at);
    });
}

EHideResult CSqliteRankingStore::fUnhide(const std::string& id) {
    const std::lock_guard<std::mutex> lock(mMutex);
    SStatement s(mDb, "UPDATE entries SET hidden_at = NULL, hidden_reason = NULL"
                      " WHERE id = ?1 AND hidden_at IS NOT NULL");
    return fChangeShown(s.statement, id, "show");
}

EHideResult CSqliteRankingStore::fChangeShown(sqlite3_stmt* update, const std::string& id, const char* verb) {
    sqlite3_bind_text(update, 1, id.c_str(), static_cast<int>(id.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(update) != SQLITE_DONE) {
        throw std::runtime_error(std::string("database: cannot ") + verb +
                                 " the entry: " + sqlite3_errmsg(mDb));
    }
    if (sqlite3_changes(mDb) == 1) {
        ++mGeneration;
        return EHideResult::Done;
    }
    return fHasEntry(id) ? EHideResult::AlreadySo : EHideResult::NoEntry;
}

std::vector<SListedEntry> CSqliteRankingStore::fSelect(const std::string& sql) {
    const std::lock_guard<std::mutex> lock(mMutex);
    SStatement s(mDb, sql.c_str());
    std::vector<SListedEntry> entries;
    int step = 0;
    while ((step = sqlite3_step(s.statement)) == SQLITE_ROW) {
        entries.push_back(fReadEntry(s.statement));
    }
    if (step != SQLITE_DONE) {
        throw std::runtime_error(std::string("database: ") + sqlite3_errmsg(mDb));
    }
    return entries;
}

std::vector<SListedEntry> CSqliteRankingStore::fHidden() {
    return fSelect(fEntrySelectSql() + " WHERE hidden_at IS NOT NULL ORDER BY hidden_at DESC, seq DESC");
}

std::vector<SListedEntry> CSqliteRankingStore::fEverything() {
    return fSelect(fEntrySelectSql() + " ORDER BY seq");
}

bool CSqliteRankingStore::fAnswers() {
    const std::lock_guard<std::mutex> lock(mMutex);
    try {
        SStatement s(mDb, "SELECT COUNT(*) FROM schema_version");
        return sqlite3_step(s.statement) == SQLITE_ROW;
    } catch (const std::exception&) {
        return false;
    }
}
