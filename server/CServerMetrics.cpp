#include "CServerMetrics.h"

#include "CPrometheusText.h"
#include "ServerLog.h"

#include <algorithm>
#include <exception>

namespace {

struct SUploadRow {
    std::string_view outcome; // accepted; refused: the upload's fault; error: the server's
    std::string_view reason;
};

// The rows of the uploads' counter, in the order of kUploadTable.
enum ERow : std::size_t {
    Accepted,
    BadRequest,
    TooLarge,
    RateLimited,
    NotAReplay,
    ScoreNotReached,
    OtherScore,
    GameRefused,
    GameCrashed,
    GameError,
    CheckTimeout,
    BlockedName,
    HiddenReplay,
    OtherName,
    RefusedOther,
    ReadOnly,
    Busy,
    NoVerdict,
    CheckFailed,
    StoreFailed,
    ErrorOther
};

constexpr SUploadRow kUploadTable[] = {
    {"accepted", "none"},
    {"refused", "bad_request"},
    {"refused", "too_large"},
    {"refused", "rate_limited"},
    {"refused", "not_a_replay"},
    {"refused", "score_not_reached"},
    {"refused", "other_score"},
    {"refused", "game_refused"},
    {"refused", "game_crashed"},
    {"refused", "game_error"},
    {"refused", "check_timeout"},
    {"refused", "blocked_name"},
    {"refused", "hidden_replay"},
    {"refused", "other_name"},
    {"refused", "other"},
    {"error", "read_only"},
    {"error", "busy"},
    {"error", "no_verdict"},
    {"error", "check_failed"},
    {"error", "store_failed"},
    {"error", "other"},
};
static_assert(std::size(kUploadTable) == CServerMetrics::kUploadReasons &&
              ErrorOther + 1 == std::size(kUploadTable));

// The refusals' texts (after "UploadFailed?") as the server words them, each with its row.
constexpr std::pair<std::string_view, ERow> kRefusalTexts[] = {
    {"not a replay", NotAReplay},
    {"the replay does not reach the score", ScoreNotReached},
    {"this replay is registered with another score", OtherScore},
    {"the game refused the replay", GameRefused},
    {"the game crashed on the replay", GameCrashed},
    {"the game ended on an error", GameError},
    {"the replay took longer than", CheckTimeout},
    {"too many uploads", RateLimited},
    {"this name is not allowed", BlockedName},
    {"this replay has been taken off", HiddenReplay},
    {"this replay is registered under the name", OtherName},
    {"the replay is larger than", TooLarge},
    {"the ranking is under maintenance", ReadOnly},
    {"the server is busy", Busy},
    {"the check did not finish in time", NoVerdict},
    {"the check could not", CheckFailed},
    {"the game could not be started", CheckFailed},
    {"the check failed with exit status", CheckFailed},
    {"the replay could not be checked", CheckFailed},
    {"the server could not store", StoreFailed},
    {"the upload could not be handled", StoreFailed},
};

std::size_t fUploadRow(int status, std::string_view reply) {
    if (status < 300 && reply.starts_with("UploadSuccess?")) {
        return Accepted;
    }
    constexpr std::string_view kFailed = "UploadFailed?";
    const std::string_view why = reply.starts_with(kFailed) ? reply.substr(kFailed.size()) : reply;
    for (const auto& [text, row] : kRefusalTexts) {
        if (why.starts_with(text)) {
            return row;
        }
    }
    if (status == 400 || status == 405) {
        return BadRequest;
    }
    return status >= 500 ? ErrorOther : RefusedOther;
}

const std::vector<double> kDurationBuckets = {0.05, 0.1, 0.25, 0.5, 1, 2.5, 5, 10, 30, 60};

constexpr std::string_view kListNames[] = {"game", "page", "json"};
constexpr std::string_view kRefusalNames[] = {"connection_limit", "request_too_slow", "out_of_files"};

std::uint64_t fRead(const std::atomic<std::uint64_t>& counter) {
    return counter.load(std::memory_order_relaxed);
}

} // namespace

CServerMetrics::CServerMetrics() : mCheckSeconds(kDurationBuckets), mPictureSeconds(kDurationBuckets) {}

void CServerMetrics::fUploadAnswered(int status, std::string_view reply) {
    fAdd(mUploads[fUploadRow(status, reply)]);
}

std::string CServerMetrics::fExposition() const {
    CPrometheusText out;
    out.fFamily("tavoni_ranking_uploads_total", "Uploads answered by this node, by outcome and reason.",
                "counter");
    for (std::size_t i = 0; i < std::size(kUploadTable); ++i) {
        out.fSample("tavoni_ranking_uploads_total",
                    {{"outcome", kUploadTable[i].outcome}, {"reason", kUploadTable[i].reason}},
                    fRead(mUploads[i]));
    }
    out.fFamily("tavoni_ranking_check_duration_seconds", "Time of the replay checks run by this node.",
                "histogram");
    out.fHistogram("tavoni_ranking_check_duration_seconds", mCheckSeconds.fBounds(),
                   mCheckSeconds.fCumulative(), mCheckSeconds.fSum());
    out.fFamily("tavoni_ranking_result_picture_duration_seconds",
                "Time of painting the result pictures on this node.", "histogram");
    out.fHistogram("tavoni_ranking_result_picture_duration_seconds", mPictureSeconds.fBounds(),
                   mPictureSeconds.fCumulative(), mPictureSeconds.fSum());
    out.fFamily("tavoni_ranking_list_renders_total", "Lists built from the store, by list.", "counter");
    for (std::size_t i = 0; i < std::size(kListNames); ++i) {
        out.fSample("tavoni_ranking_list_renders_total", {{"list", kListNames[i]}}, fRead(mListRenders[i]));
    }
    out.fFamily("tavoni_ranking_list_cache_hits_total", "Game list requests answered from the kept list.",
                "counter");
    out.fSample("tavoni_ranking_list_cache_hits_total", {}, fRead(mListCacheHits));
    out.fFamily("tavoni_ranking_connections_refused_total", "Connections refused or closed early, by reason.",
                "counter");
    for (std::size_t i = 0; i < std::size(kRefusalNames); ++i) {
        out.fSample("tavoni_ranking_connections_refused_total", {{"reason", kRefusalNames[i]}},
                    fRead(mConnectionsRefused[i]));
    }
    out.fFamily("tavoni_ranking_clients_rate_limited_total",
                "Uploads turned away because their client address used up its hourly allowance.", "counter");
    out.fSample("tavoni_ranking_clients_rate_limited_total", {}, fRead(mRateLimited));
    out.fFamily("tavoni_ranking_sandbox_failures_total",
                "Runs of the game (check, picture, version) whose sandboxed child could not be started.",
                "counter");
    out.fSample("tavoni_ranking_sandbox_failures_total", {}, fRead(mSandboxFailures));
    if (!mSampler) {
        return out.fText();
    }
    SSampled sampled;
    try {
        sampled = mSampler();
    } catch (const std::exception& e) {
        fServerLog(std::string("metrics: the store and the queue left out: ") + e.what());
        return out.fText();
    }
    const auto gauge = [&out](std::string_view name, std::string_view help, double value) {
        out.fFamily(name, help, "gauge");
        out.fSample(name, {}, value);
    };
    gauge("tavoni_ranking_checks_waiting", "Checks waiting for a checker to take them.",
          static_cast<double>(sampled.checksWaiting));
    gauge("tavoni_ranking_oldest_waiting_check_seconds", "How long the oldest waiting check has waited.",
          sampled.oldestWaitingSeconds);
    gauge("tavoni_ranking_entries_listed", "Entries in the ranking's lists.",
          static_cast<double>(sampled.entriesListed));
    gauge("tavoni_ranking_entries_hidden", "Entries kept but hidden from every list.",
          static_cast<double>(sampled.entriesHidden));
    return out.fText();
}
