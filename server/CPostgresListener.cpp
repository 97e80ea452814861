#include "CPostgresListener.h"

#include "CPostgresConnections.h"
#include "ServerLog.h"

#include <libpq-fe.h>
#include <poll.h>

#include <stdexcept>
#include <string>

namespace {
// How often a quiet listener looks whether it is stopped, and how long it waits before connecting again.
constexpr int kPollMs = 200;
constexpr int kRetryMs = 500;
} // namespace

CPostgresListener::CPostgresListener(CPostgresConnections& connections)
    : mConnections(connections), mThread([this] { fRun(); }) {}

CPostgresListener::~CPostgresListener() {
    {
        const std::lock_guard<std::mutex> lock(mMutex);
        mStop = true;
    }
    mStopped.notify_all();
    mThread.join();
}

std::uint64_t CPostgresListener::fGeneration() {
    if (!mListening.load()) {
        return ++mGeneration;
    }
    return mGeneration.load();
}

void CPostgresListener::fNoteChange() {
    ++mGeneration;
}

bool CPostgresListener::fPause(int ms) {
    std::unique_lock<std::mutex> lock(mMutex);
    return !mStopped.wait_for(lock, std::chrono::milliseconds(ms), [this] { return mStop; });
}

void CPostgresListener::fRun() {
    bool said = false;
    for (;;) {
        PGconn* connection = nullptr;
        try {
            connection = mConnections.fConnect();
            PGresult* listen = PQexec(connection, (std::string("LISTEN ") + kChannel).c_str());
            const bool ok = PQresultStatus(listen) == PGRES_COMMAND_OK;
            PQclear(listen);
            if (!ok) {
                throw std::runtime_error(PQerrorMessage(connection));
            }
            // Anything may have changed while nobody listened.
            ++mGeneration;
            mListening = true;
            said = false;
            for (;;) {
                pollfd wait{PQsocket(connection), POLLIN, 0};
                ::poll(&wait, 1, kPollMs);
                if (PQconsumeInput(connection) == 0 || PQstatus(connection) != CONNECTION_OK) {
                    throw std::runtime_error(PQerrorMessage(connection));
                }
                while (PGnotify* notice = PQnotifies(connection)) {
                    ++mGeneration;
                    PQfreemem(notice);
                }
                if (!fPause(0)) {
                    break;
                }
            }
        } catch (const std::exception& e) {
            if (!said) {
                fServerLog(std::string("store: not told of new entries, every list is read again: ") +
                           e.what());
                said = true;
            }
        }
        mListening = false;
        if (connection != nullptr) {
            PQfinish(connection);
        }
        if (!fPause(kRetryMs)) {
            return;
        }
    }
}
