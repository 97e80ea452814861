#include "CRankingStore.h"

#include "ServerLog.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <random>
#include <set>
#include <sqlite3.h>
#include <stdexcept>
#include <sys/random.h>
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

std::string fRandomId() {
    unsigned char bytes[16];
    std::size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t n = getrandom(bytes + got, sizeof bytes - got, 0);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw std::runtime_error(std::string("no random bytes: ") + std::strerror(errno));
        }
        got += static_cast<std::size_t>(n);
    }
    static const char kHex[] = "0123456789abcdef";
    std::string id;
    for (const unsigned char b : bytes) {
        id += kHex[b >> 4];
        id += kHex[b & 15];
    }
    return id;
}

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
    e.id = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
    e.name = reinterpret_cast<const char*>(sqlite3_column_text(s, 1));
    e.score = sqlite3_column_int(s, 2);
    e.registeredAt = sqlite3_column_int64(s, 3);
    e.rank = sqlite3_column_int(s, 4);
    return e;
}

} // namespace

CRankingStore::CRankingStore(const fs::path& dataFolder)
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
        fExec("CREATE TABLE IF NOT EXISTS entries ("
              " seq INTEGER PRIMARY KEY AUTOINCREMENT,"
              " id TEXT NOT NULL UNIQUE,"
              " name TEXT NOT NULL,"
              " score INTEGER NOT NULL,"
              " registered_at INTEGER NOT NULL,"
              " sha256 TEXT NOT NULL UNIQUE)");
        fExec("CREATE INDEX IF NOT EXISTS entries_by_score ON entries(score DESC, seq)");
        fExec("CREATE INDEX IF NOT EXISTS entries_by_date ON entries(registered_at DESC, seq DESC)");
        fRecover();
    } catch (...) {
        sqlite3_close(mDb);
        throw;
    }
}

CRankingStore::~CRankingStore() {
    sqlite3_close(mDb);
}

void CRankingStore::fExec(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(mDb, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string why = message != nullptr ? message : "unknown error";
        sqlite3_free(message);
        throw std::runtime_error(std::string("database: ") + why + " in: " + sql);
    }
}

void CRankingStore::fRecover() {
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

std::optional<SListedEntry> CRankingStore::fFindByDigest(const std::string& digest) {
    SStatement s(mDb, "SELECT id, name, score, registered_at, 0 FROM entries WHERE sha256 = ?1");
    sqlite3_bind_text(s.statement, 1, digest.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(s.statement) != SQLITE_ROW) {
        return std::nullopt;
    }
    SListedEntry e = fReadEntry(s.statement);
    e.rank = fRankOf(e.score);
    return e;
}

int CRankingStore::fRankOf(int score) {
    SStatement s(mDb, "SELECT COUNT(*) FROM entries WHERE score > ?1");
    sqlite3_bind_int(s.statement, 1, score);
    if (sqlite3_step(s.statement) != SQLITE_ROW) {
        throw std::runtime_error(std::string("database: ") + sqlite3_errmsg(mDb));
    }
    return sqlite3_column_int(s.statement, 0) + 1;
}

std::optional<SListedEntry> CRankingStore::fFindReplay(const std::string& digest) {
    const std::lock_guard<std::mutex> lock(mMutex);
    return fFindByDigest(digest);
}

CRankingStore::SAdded CRankingStore::fAdd(const std::string& name, int score, const std::string& replay,
                                          const std::string& digest) {
    const std::lock_guard<std::mutex> lock(mMutex);
    if (std::optional<SListedEntry> existing = fFindByDigest(digest)) {
        return {*existing, false};
    }
    const std::string id = fRandomId();
    const fs::path temporary = mReplays / (kTemporaryPrefix + id);
    const fs::path final = mReplays / id;
    fWriteDurably(temporary, replay);
    std::error_code error;
    fs::rename(temporary, final, error);
    if (error) {
        fs::remove(temporary, error);
        throw std::runtime_error("cannot rename " + temporary.string() + ": " + error.message());
    }
    fSyncPath(mReplays, O_RDONLY | O_DIRECTORY);

    SListedEntry entry;
    entry.id = id;
    entry.name = name;
    entry.score = score;
    entry.registeredAt = static_cast<std::int64_t>(std::time(nullptr));
    {
        SStatement s(
            mDb, "INSERT INTO entries (id, name, score, registered_at, sha256) VALUES (?1, ?2, ?3, ?4, ?5)");
        sqlite3_bind_text(s.statement, 1, id.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(s.statement, 2, name.c_str(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(s.statement, 3, score);
        sqlite3_bind_int64(s.statement, 4, entry.registeredAt);
        sqlite3_bind_text(s.statement, 5, digest.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(s.statement) != SQLITE_DONE) {
            const std::string why = sqlite3_errmsg(mDb);
            fs::remove(final, error);
            throw std::runtime_error("database: cannot add the entry: " + why);
        }
    }
    entry.rank = fRankOf(score);
    ++mGeneration;
    return {entry, true};
}

std::vector<SListedEntry> CRankingStore::fList(ERankingOrder order, int offset, int limit) {
    const char* sql =
        order == ERankingOrder::Score
            ? "SELECT id, name, score, registered_at, RANK() OVER (ORDER BY score DESC) FROM entries"
              " ORDER BY score DESC, seq ASC LIMIT ?1 OFFSET ?2"
            : "SELECT id, name, score, registered_at, RANK() OVER (ORDER BY score DESC) FROM entries"
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

int CRankingStore::fCount() {
    const std::lock_guard<std::mutex> lock(mMutex);
    SStatement s(mDb, "SELECT COUNT(*) FROM entries");
    return sqlite3_step(s.statement) == SQLITE_ROW ? sqlite3_column_int(s.statement, 0) : 0;
}

std::uint64_t CRankingStore::fGeneration() const {
    const std::lock_guard<std::mutex> lock(mMutex);
    return mGeneration;
}

std::optional<fs::path> CRankingStore::fReplayFile(const std::string& id) {
    const std::lock_guard<std::mutex> lock(mMutex);
    SStatement s(mDb, "SELECT 1 FROM entries WHERE id = ?1");
    sqlite3_bind_text(s.statement, 1, id.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(s.statement) != SQLITE_ROW) {
        return std::nullopt;
    }
    return mReplays / id;
}
