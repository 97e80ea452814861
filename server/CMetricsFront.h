// The metrics listener (--metrics-bind ADDR:PORT): a libmicrohttpd daemon of its own, apart from the
// players' port, answering GET /metrics with the server's metrics in Prometheus' text format. One thread and
// a few connections: it is for a scraper, not for the public.
#pragma once

#include "CServerMetrics.h"

#include <string>

struct MHD_Daemon;

class CMetricsFront {
public:
    // `bind` is "ADDRESS:PORT" (IPv4; port 0: any free one). Throws std::runtime_error when it cannot listen.
    CMetricsFront(const CServerMetrics& metrics, const std::string& bind);
    ~CMetricsFront();
    CMetricsFront(const CMetricsFront&) = delete;
    CMetricsFront& operator=(const CMetricsFront&) = delete;

    int fPort() const { return mPort; }
    const CServerMetrics& fMetrics() const { return mMetrics; }

    // Whether `bind` is "ADDRESS:PORT" with an IPv4 address and a port from 0 to 65535.
    static bool fValidBind(const std::string& bind);

private:
    const CServerMetrics& mMetrics;
    MHD_Daemon* mDaemon = nullptr;
    int mPort = 0;
};
