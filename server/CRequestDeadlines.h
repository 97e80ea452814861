// Every connection must bring in a whole request, headers and body, within a time limit counted from when
// it opened or its previous answer went out, however slowly it trickles its bytes in. The daemon's own
// timeout cannot do that: it measures idleness, and each trickled byte starts it again. A thread of its own
// looks at the clocks a few times a second and shuts the sockets of late connections down, which makes the
// daemon close them.
#pragma once

#include "CServerMetrics.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

class CRequestDeadlines {
public:
    struct SConnection;

    // `metrics`, when given, counts the connections closed for being late.
    explicit CRequestDeadlines(std::chrono::milliseconds limit, CServerMetrics* metrics = nullptr);
    ~CRequestDeadlines();
    CRequestDeadlines(const CRequestDeadlines&) = delete;
    CRequestDeadlines& operator=(const CRequestDeadlines&) = delete;

    // A connection on `socket` has opened; its clock runs. fClosed must come before the socket is closed.
    SConnection* fOpened(int socket);
    void fClosed(SConnection* connection);
    // Its request is all in (or answered early): no limit while it is being answered.
    void fRequestIn(SConnection* connection);
    // Its answer is out: the next request has the whole time limit again.
    void fAnswered(SConnection* connection);

private:
    void fSweep();

    const std::chrono::milliseconds mLimit;
    CServerMetrics* const mMetrics;
    std::mutex mMutex;
    std::condition_variable mWake;
    bool mStopping = false;
    std::set<SConnection*> mOpen;
    std::thread mSweeper;
};
