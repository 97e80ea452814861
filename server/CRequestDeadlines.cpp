#include "CRequestDeadlines.h"

#include "ServerLog.h"

#include <sys/socket.h>

struct CRequestDeadlines::SConnection {
    int socket = -1;
    bool running = true;
    std::chrono::steady_clock::time_point deadline;
};

namespace {

constexpr std::chrono::milliseconds kSweepEvery{200};

} // namespace

CRequestDeadlines::CRequestDeadlines(std::chrono::milliseconds limit, CServerMetrics* metrics)
    : mLimit(limit), mMetrics(metrics), mSweeper([this] { fSweep(); }) {}

CRequestDeadlines::~CRequestDeadlines() {
    {
        const std::lock_guard<std::mutex> lock(mMutex);
        mStopping = true;
    }
    mWake.notify_all();
    mSweeper.join();
    for (SConnection* connection : mOpen) {
        delete connection;
    }
}

CRequestDeadlines::SConnection* CRequestDeadlines::fOpened(int socket) {
    auto* connection = new SConnection;
    connection->socket = socket;
    connection->deadline = std::chrono::steady_clock::now() + mLimit;
    const std::lock_guard<std::mutex> lock(mMutex);
    mOpen.insert(connection);
    return connection;
}

void CRequestDeadlines::fClosed(SConnection* connection) {
    if (connection == nullptr) {
        return;
    }
    {
        // Once this returns the sweep cannot touch the socket, which its owner is about to close.
        const std::lock_guard<std::mutex> lock(mMutex);
        mOpen.erase(connection);
    }
    delete connection;
}

void CRequestDeadlines::fRequestIn(SConnection* connection) {
    if (connection != nullptr) {
        const std::lock_guard<std::mutex> lock(mMutex);
        connection->running = false;
    }
}

void CRequestDeadlines::fAnswered(SConnection* connection) {
    if (connection != nullptr) {
        const std::lock_guard<std::mutex> lock(mMutex);
        connection->running = true;
        connection->deadline = std::chrono::steady_clock::now() + mLimit;
    }
}

void CRequestDeadlines::fSweep() {
    std::unique_lock<std::mutex> lock(mMutex);
    while (!mWake.wait_for(lock, kSweepEvery, [this] { return mStopping; })) {
        const auto now = std::chrono::steady_clock::now();
        int late = 0;
        for (SConnection* connection : mOpen) {
            if (connection->running && now >= connection->deadline) {
                // The daemon sees the connection end and closes it in its own thread.
                ::shutdown(connection->socket, SHUT_RDWR);
                connection->running = false;
                ++late;
                if (mMetrics != nullptr) {
                    mMetrics->fConnectionRefused(CServerMetrics::EConnectionRefusal::RequestTooSlow);
                }
            }
        }
        if (late > 0) {
            fServerLog("closed " + std::to_string(late) + " connection(s) whose request took longer than " +
                       std::to_string(mLimit.count() / 1000) + " s to arrive");
        }
    }
}
