#include "CSqliteRankingStore.h"

#include "RandomId.h"
#include "ServerLog.h"

#include <cerrno>
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

SListedEntry fReadEntry(sqlite3_stmt* s) {
    SListedEntry e;
    // A NULL where text belongs (a database edited by hand) reads as empty rather than crashing.
    const auto text = [s](int column) {
        const unsigned char* value = sqlite3_column_text(s, column);
        return value != nullptr ? std::string(reinterpret_cast<const char*>(value)) : std::string();
    };
    e.id = text(0);
    e.name = text(1);
    e.score = sqlite3_column_int(s, 2);
    e.registeredAt = sqlite3_column_int64(s, 3);
    e.rank = sqlite3_column_int(s, 4);
    e.version = text(5);
    return e;
}

} // namespace

CSqliteRankingStore::CSqliteRankingStore(const fs::path& dataFolder)
    : mFolder(dataFolder), mReplays(dataFolder / "replays"), mDatabase(dataFolder / "ranking.sqlite3") {
    fs::create_directories(mReplays);
    if (sqlite3_open_v2(mDatabase.c_str(), &mDb,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
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
        fRecover();
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

void CSqliteRankingStore::fMigrate() {
    // One transaction: a server stopped half-way leaves the schema as it was, and the next start tries again.
    fExec("BEGIN IMMEDIATE");
    try {
        int version = 0;
        {
            SStatement s(mDb, "SELECT (SELECT COUNT(*) FROM sqlite_master WHERE name = 'schema_version'),"
                              " (SELECT COUNT(*) FROM sqlite_master WHERE name = 'entries')");
            if (sqlite3_step(s.statement) != SQLITE_ROW) {
                throw std::runtime_error(std::string("database: ") + sqlite3_errmsg(mDb));
            }
            // The first folders had the entries and no schema_version table.
            version = sqlite3_column_int(s.statement, 1) > 0 ? 1 : 0;
            if (sqlite3_column_int(s.statement, 0) > 0) {
                SStatement v(mDb, "SELECT MAX(version) FROM schema_version");
                version = sqlite3_step(v.statement) == SQLITE_ROW ? sqlite3_column_int(v.statement, 0) : 0;
            }
        }
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
        if (version != kSchemaVersion) {
            fServerLog("store: schema version " + std::to_string(version) + " upgraded to " +
                       std::to_string(kSchemaVersion));
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

void CSqliteRankingStore::fRecover() {
    std::set<std::string> ids;
    {
        SStatement s(mDb, "SELECT id FROM entries");
        while (sqlite3_step(s.statement) == SQLITE_ROW) {
            ids.insert(reinterpret_cast<const char*>(sqlite3_column_text(s.statement, 0)));
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
    for (const std::string& id : ids) {
        if (files.count(id) == 0) {
            fServerLog("store: warning: the entry " + id + " has no replay file");
        }
    }
}

std::optional<SListedEntry> CSqliteRankingStore::fFindByDigest(const std::string& digest) {
    SStatement s(mDb, "SELECT id, name, score, registered_at, 0, version FROM entries WHERE sha256 = ?1");
    sqlite3_bind_text(s.statement, 1, digest.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(s.statement) != SQLITE_ROW) {
        return std::nullopt;
    }
    SListedEntry e = fReadEntry(s.statement);
    e.rank = fRankOf(e.score);
    return e;
}

int CSqliteRankingStore::fRankOf(int score) {
    SStatement s(mDb, "SELECT COUNT(*) FROM entries WHERE score > ?1");
    sqlite3_bind_int(s.statement, 1, score);
    if (sqlite3_step(s.statement) != SQLITE_ROW) {
        throw std::runtime_error(std::string("database: ") + sqlite3_errmsg(mDb));
    }
    return sqlite3_column_int(s.statement, 0) + 1;
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
    const fs::path temporary = mReplays / (kTemporaryPrefix + id);
    const fs::path final = mReplays / id;
    fWriteDurably(temporary, added.replay);
    std::error_code error;
    fs::rename(temporary, final, error);
    if (error) {
        fs::remove(temporary, error);
        throw std::runtime_error("cannot rename " + temporary.string() + ": " + error.message());
    }
    fSyncPath(mReplays, O_RDONLY | O_DIRECTORY);

    SListedEntry entry;
    entry.id = id;
    entry.name = added.name;
    entry.score = added.score;
    entry.version = added.version;
    entry.registeredAt =
        added.registeredAt != 0 ? added.registeredAt : static_cast<std::int64_t>(std::time(nullptr));
    {
        SStatement s(mDb, "INSERT INTO entries (id, name, score, registered_at, sha256, version)"
                          " VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
        sqlite3_bind_text(s.statement, 1, id.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(s.statement, 2, added.name.c_str(), static_cast<int>(added.name.size()),
                          SQLITE_TRANSIENT);
        sqlite3_bind_int(s.statement, 3, added.score);
        sqlite3_bind_int64(s.statement, 4, entry.registeredAt);
        sqlite3_bind_text(s.statement, 5, added.digest.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(s.statement, 6, added.version.c_str(), static_cast<int>(added.version.size()),
                          SQLITE_TRANSIENT);
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
    const char* sql =
        order == ERankingOrder::Score
            ? "SELECT id, name, score, registered_at, RANK() OVER (ORDER BY score DESC), version FROM entries"
              " ORDER BY score DESC, seq ASC LIMIT ?1 OFFSET ?2"
            : "SELECT id, name, score, registered_at, RANK() OVER (ORDER BY score DESC), version FROM entries"
              " ORDER BY registered_at DESC, seq DESC LIMIT ?1 OFFSET ?2";
    const std::lock_guard<std::mutex> lock(mMutex);
    SStatement s(mDb, sql);
    sqlite3_bind_int(s.statement, 1, limit);
    sqlite3_bind_int(s.statement, 2, offset);
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

int CSqliteRankingStore::fCount() {
    const std::lock_guard<std::mutex> lock(mMutex);
    SStatement s(mDb, "SELECT COUNT(*) FROM entries");
    return sqlite3_step(s.statement) == SQLITE_ROW ? sqlite3_column_int(s.statement, 0) : 0;
}

std::uint64_t CSqliteRankingStore::fGeneration() {
    const std::lock_guard<std::mutex> lock(mMutex);
    return mGeneration;
}

std::optional<std::string> CSqliteRankingStore::fReplay(const std::string& id) {
    {
        const std::lock_guard<std::mutex> lock(mMutex);
        SStatement s(mDb, "SELECT 1 FROM entries WHERE id = ?1");
        sqlite3_bind_text(s.statement, 1, id.c_str(), static_cast<int>(id.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(s.statement) != SQLITE_ROW) {
            return std::nullopt;
        }
    }
    if (!fIsServerReplayId(id)) {
        throw std::runtime_error("the entry " + fLogSafe(id) + " has no replay file name");
    }
    const fs::path file = mReplays / id;
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        throw std::runtime_error("cannot open " + file.string() + ": " + std::strerror(errno));
    }
    // Replays are at most an upload's size; a larger file is not one of ours.
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 || bytes.size() + static_cast<std::size_t>(n) > kMaxUploadBytes) {
            const int error = errno;
            ::close(fd);
            throw std::runtime_error("cannot read " + file.string() + ": " +
                                     (n < 0 ? std::strerror(error) : "larger than any replay"));
        }
        if (n == 0) {
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
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
