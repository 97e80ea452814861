// What the server counts for its operators, served as Prometheus metrics (CMetricsFront): uploads by
// outcome and reason, the time of checks and result pictures, the check queue, list renders and cache
// hits, connections refused, clients rate-limited, failed starts of the game's sandboxed child, and the
// entries listed and hidden. Counting is an atomic increment, no lock; what is in the store and the queue is
// asked for only when scraped, through the sampler. Every label value comes from a fixed list in this
// class, never from a request.
#pragma once

#include "CHistogram.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class CServerMetrics {
public:
    enum class EList { Game, Page, Json, Count };
    enum class EConnectionRefusal {
        ConnectionLimit, // the daemon's limit on connections, in all or from one address (it says not which)
        RequestTooSlow,  // closed: its request did not arrive within --request-seconds
        OutOfFiles,      // the daemon stopped accepting for a moment: no descriptor left
        Count
    };
    // What the store and the queue say when scraped. A sampler that throws leaves these out of the scrape.
    struct SSampled {
        std::int64_t checksWaiting = 0;
        double oldestWaitingSeconds = 0;
        std::int64_t entriesListed = 0;
        std::int64_t entriesHidden = 0;
    };

    CServerMetrics();
    CServerMetrics(const CServerMetrics&) = delete;
    CServerMetrics& operator=(const CServerMetrics&) = delete;

    // An upload was answered `status` with `reply` ("UploadSuccess?..." or "UploadFailed?<reason>"): counted
    // under its outcome and the reason its reply names.
    void fUploadAnswered(int status, std::string_view reply);
    void fCheckTook(double seconds) { mCheckSeconds.fObserve(seconds); }
    void fPictureTook(double seconds) { mPictureSeconds.fObserve(seconds); }
    void fListRendered(EList list) { fAdd(mListRenders[static_cast<std::size_t>(list)]); }
    void fListCacheHit() { fAdd(mListCacheHits); }
    void fConnectionRefused(EConnectionRefusal why) {
        fAdd(mConnectionsRefused[static_cast<std::size_t>(why)]);
    }
    void fClientRateLimited() { fAdd(mRateLimited); }
    // The game's child for a check, a picture or the version question could not be started (in its sandbox).
    void fSandboxFailed() { fAdd(mSandboxFailures); }
    // Set before the first scrape.
    void fSetSampler(std::function<SSampled()> sampler) { mSampler = std::move(sampler); }

    // Every metric in Prometheus' text format.
    std::string fExposition() const;

    // The rows of the uploads counter: each reason with its outcome.
    static constexpr std::size_t kUploadReasons = 21;

private:
    static void fAdd(std::atomic<std::uint64_t>& counter) { counter.fetch_add(1, std::memory_order_relaxed); }

    std::array<std::atomic<std::uint64_t>, kUploadReasons> mUploads{};
    CHistogram mCheckSeconds;
    CHistogram mPictureSeconds;
    std::array<std::atomic<std::uint64_t>, static_cast<std::size_t>(EList::Count)> mListRenders{};
    std::atomic<std::uint64_t> mListCacheHits{0};
    std::array<std::atomic<std::uint64_t>, static_cast<std::size_t>(EConnectionRefusal::Count)>
        mConnectionsRefused{};
    std::atomic<std::uint64_t> mRateLimited{0};
    std::atomic<std::uint64_t> mSandboxFailures{0};
    std::function<SSampled()> mSampler;
};
