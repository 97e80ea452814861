#include "CPostgresConnections.h"

#include "ServerLog.h"

#include <charconv>
#include <libpq-fe.h>
#include <stdexcept>

namespace {

std::string fOneLine(const char* message) {
    std::string text = message != nullptr ? message : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    return fLogSafe(text, 300);
}

// Notices ("relation already exists, skipping") are not worth a log line each.
void fIgnoreNotice(void*, const char*) {}

} // namespace

CPgRows::CPgRows(PGresult* result) : mResult(result) {}

CPgRows::~CPgRows() {
    PQclear(mResult);
}

CPgRows::CPgRows(CPgRows&& other) noexcept : mResult(other.mResult) {
    other.mResult = nullptr;
}

int CPgRows::fCount() const {
    return PQntuples(mResult);
}

void CPgRows::fCheck(int row, int column) const {
    if (row < 0 || row >= PQntuples(mResult) || column < 0 || column >= PQnfields(mResult)) {
        throw std::runtime_error("database: the reply lacks a value it should have");
    }
}

bool CPgRows::fIsNull(int row, int column) const {
    fCheck(row, column);
    return PQgetisnull(mResult, row, column) != 0;
}

std::string CPgRows::fText(int row, int column) const {
    fCheck(row, column);
    return std::string(PQgetvalue(mResult, row, column),
                       static_cast<std::size_t>(PQgetlength(mResult, row, column)));
}

std::int64_t CPgRows::fNumber(int row, int column) const {
    const std::string text = fText(row, column);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        throw std::runtime_error("database: \"" + fLogSafe(text, 40) + "\" is not a number");
    }
    return value;
}

std::string CPgRows::fBytes(int row, int column, std::size_t limit) const {
    fCheck(row, column);
    const std::size_t length = static_cast<std::size_t>(PQgetlength(mResult, row, column));
    if (length > limit) {
        throw std::runtime_error("database: a value of " + std::to_string(length) + " bytes, more than " +
                                 std::to_string(limit));
    }
    return std::string(PQgetvalue(mResult, row, column), length);
}

CPostgresConnections::CPostgresConnections(std::string connection, int size)
    : mConnection(std::move(connection)), mSize(std::max(size, 1)) {
    PGconn* first = fConnect();
    mDescription = std::string(PQdb(first)) + " on " + (PQhost(first) != nullptr ? PQhost(first) : "?") +
                   ":" + (PQport(first) != nullptr ? PQport(first) : "?");
    mIdle.push_back(first);
    mOpen = 1;
}

CPostgresConnections::~CPostgresConnections() {
    for (PGconn* connection : mIdle) {
        PQfinish(connection);
    }
}

PGconn* CPostgresConnections::fConnect() {
    // Ours first, so that the connection string may override them: a dead database does not hold a
    // request for long, and no statement runs for ever. No JIT: every query of ours reads a few index
    // pages, and the planner, guessing at the ranking's counts walked level by level, would otherwise
    // spend seconds compiling one.
    const char* const keywords[] = {"connect_timeout", "application_name", "options", "dbname", nullptr};
    const char* const values[] = {"5", "tavoni-ranking-server", "-c statement_timeout=60s -c jit=off",
                                  mConnection.c_str(), nullptr};
    PGconn* connection = PQconnectdbParams(keywords, values, 1);
    if (connection == nullptr) {
        throw std::runtime_error("database: out of memory");
    }
    if (PQstatus(connection) != CONNECTION_OK) {
        const std::string why = fOneLine(PQerrorMessage(connection));
        PQfinish(connection);
        throw std::runtime_error("cannot connect to the database: " + why);
    }
    PQsetNoticeProcessor(connection, &fIgnoreNotice, nullptr);
    return connection;
}

CPostgresConnections::CLease CPostgresConnections::fTake() {
    std::unique_lock<std::mutex> lock(mMutex);
    if (!mFreed.wait_for(lock, std::chrono::seconds(30),
                         [this] { return !mIdle.empty() || mOpen < mSize; })) {
        throw std::runtime_error("database: no connection free within 30 s");
    }
    if (!mIdle.empty()) {
        PGconn* connection = mIdle.back();
        mIdle.pop_back();
        return CLease(*this, connection);
    }
    ++mOpen;
    lock.unlock();
    try {
        return CLease(*this, fConnect());
    } catch (...) {
        lock.lock();
        --mOpen;
        mFreed.notify_one();
        throw;
    }
}

void CPostgresConnections::fGiveBack(PGconn* connection) {
    const bool sound =
        PQstatus(connection) == CONNECTION_OK && PQtransactionStatus(connection) == PQTRANS_IDLE;
    if (!sound) {
        PQfinish(connection);
    }
    const std::lock_guard<std::mutex> lock(mMutex);
    if (sound) {
        mIdle.push_back(connection);
    } else {
        --mOpen;
    }
    mFreed.notify_one();
}

CPostgresConnections::CLease::~CLease() {
    if (mConnection != nullptr) {
        mOwner->fGiveBack(mConnection);
    }
}

CPgRows CPostgresConnections::CLease::fRun(const char* sql, const std::vector<SPgValue>& params,
                                           bool binaryResult) {
    std::vector<const char*> values;
    std::vector<int> lengths;
    std::vector<int> formats;
    for (const SPgValue& p : params) {
        values.push_back(p.value ? p.value->data() : nullptr);
        lengths.push_back(p.value ? static_cast<int>(p.value->size()) : 0);
        formats.push_back(p.binary ? 1 : 0);
    }
    PGresult* result = PQexecParams(mConnection, sql, static_cast<int>(params.size()), nullptr, values.data(),
                                    lengths.data(), formats.data(), binaryResult ? 1 : 0);
    CPgRows rows(result);
    const ExecStatusType status = result != nullptr ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        const char* state = result != nullptr ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
        throw std::runtime_error(
            "database: " +
            fOneLine(result != nullptr ? PQresultErrorMessage(result) : PQerrorMessage(mConnection)) +
            (state != nullptr ? std::string(" (") + state + ")" : std::string()));
    }
    return rows;
}
