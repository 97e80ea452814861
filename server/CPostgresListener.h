// One connection of a node LISTENing for the notices a trigger sends whenever the entries change (a node
// storing one, an import, a hand edit), so the node can keep its rendered list until then without asking the
// database on every request. Reconnects by itself; while it is not listening, every change is assumed.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

class CPostgresConnections;

class CPostgresListener {
public:
    static constexpr const char* kChannel = "tavoni_entries";

    explicit CPostgresListener(CPostgresConnections& connections);
    ~CPostgresListener();
    CPostgresListener(const CPostgresListener&) = delete;
    CPostgresListener& operator=(const CPostgresListener&) = delete;

    // Rises with every change heard of; a new value on every call while not listening (nothing may be kept).
    std::uint64_t fGeneration();
    // A change this node made itself, counted at once rather than when its notice comes back.
    void fNoteChange();

private:
    void fRun();
    // Waits up to `ms` or until the listener is stopped; false when stopped.
    bool fPause(int ms);

    CPostgresConnections& mConnections;
    std::atomic<std::uint64_t> mGeneration{1};
    std::atomic<bool> mListening{false};
    std::mutex mMutex;
    std::condition_variable mStopped;
    bool mStop = false;
    std::thread mThread;
};
