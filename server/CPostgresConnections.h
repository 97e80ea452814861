// Connections to one PostgreSQL database through libpq, shared by the threads of a process: each query
// takes a connection for itself and gives it back; a connection that broke is dropped and a new one is made
// when next needed, so a restarted database is used again without restarting the server.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct pg_conn;
struct pg_result;

// One parameter of a query: text, or bytes (bytea), or NULL.
struct SPgValue {
    std::optional<std::string> value;
    bool binary = false;

    static SPgValue fText(std::string text) { return {std::move(text), false}; }
    static SPgValue fBytes(std::string bytes) { return {std::move(bytes), true}; }
    static SPgValue fNumber(std::int64_t number) { return {std::to_string(number), false}; }
};

// The rows of a query. Every value is checked as it is read: a malformed one throws std::runtime_error.
class CPgRows {
public:
    explicit CPgRows(pg_result* result);
    ~CPgRows();
    CPgRows(CPgRows&& other) noexcept;
    CPgRows(const CPgRows&) = delete;
    CPgRows& operator=(const CPgRows&) = delete;
    CPgRows& operator=(CPgRows&&) = delete;

    int fCount() const;
    bool fIsNull(int row, int column) const;
    std::string fText(int row, int column) const;
    std::int64_t fNumber(int row, int column) const;
    // A value asked for in binary (bytea); at most `limit` bytes.
    std::string fBytes(int row, int column, std::size_t limit) const;

private:
    void fCheck(int row, int column) const;
    pg_result* mResult = nullptr;
};

class CPostgresConnections {
public:
    // `connection`: a "postgresql://" URI or "key=value" words; what it leaves out comes from the PG*
    // environment variables as libpq reads them. Connects once to see that it can; throws
    // std::runtime_error with libpq's reason when not.
    CPostgresConnections(std::string connection, int size);
    ~CPostgresConnections();
    CPostgresConnections(const CPostgresConnections&) = delete;
    CPostgresConnections& operator=(const CPostgresConnections&) = delete;

    class CLease {
    public:
        CLease(CPostgresConnections& owner, pg_conn* connection) : mOwner(&owner), mConnection(connection) {}
        ~CLease();
        CLease(CLease&& other) noexcept : mOwner(other.mOwner), mConnection(other.mConnection) {
            other.mConnection = nullptr;
        }
        CLease(const CLease&) = delete;
        CLease& operator=(const CLease&) = delete;
        CLease& operator=(CLease&&) = delete;

        // Runs one statement; `binaryResult` asks for the values in binary (for bytea). Throws
        // std::runtime_error with the database's message.
        CPgRows fRun(const char* sql, const std::vector<SPgValue>& params = {}, bool binaryResult = false);

    private:
        CPostgresConnections* mOwner;
        pg_conn* mConnection;
    };

    // A connection of its own until the lease ends; waits for one when all are taken. Throws
    // std::runtime_error when none can be made.
    CLease fTake();

    // A short description for the log, without any password.
    const std::string& fDescription() const { return mDescription; }

    // A new connection outside the pool, the caller's to PQfinish. Throws std::runtime_error.
    pg_conn* fConnect();

private:
    void fGiveBack(pg_conn* connection);

    const std::string mConnection;
    std::string mDescription;
    const int mSize;
    std::mutex mMutex;
    std::condition_variable mFreed;
    std::vector<pg_conn*> mIdle;
    int mOpen = 0;
};

// Runs `work(lease)` between BEGIN and COMMIT (ROLLBACK when it throws).
template <typename TWork> auto fInTransaction(CPostgresConnections::CLease& lease, TWork&& work) {
    lease.fRun("BEGIN");
    try {
        auto result = work(lease);
        lease.fRun("COMMIT");
        return result;
    } catch (...) {
        try {
            lease.fRun("ROLLBACK");
        } catch (...) {
        }
        throw;
    }
}
