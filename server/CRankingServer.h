// A whole ranking server: its store (SQLite in the data folder, or PostgreSQL), its check queue, and the
// parts of its role: the HTTP front (web), the checkers running the game (checker), or both (all, the
// default). main() runs one; tests run one inside their own process.
#pragma once

#include "CCheckQueue.h"
#include "CCheckWorkers.h"
#include "CHttpFront.h"
#include "CMetricsFront.h"
#include "CPostgresConnections.h"
#include "CRankingService.h"
#include "CRankingStore.h"
#include "CReplayChecker.h"
#include "CResultPainter.h"
#include "CServerMetrics.h"
#include "RankingModeration.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

enum class EServerRole { All, Web, Checker };

struct SServerOptions {
    std::filesystem::path dataFolder = "ranking-data";
    std::string database; // a PostgreSQL connection string; empty: SQLite in dataFolder
    EServerRole role = EServerRole::All;
    std::filesystem::path game;     // empty: the tavoni binary beside the server's own
    std::filesystem::path gameData; // empty: found beside the program (installed data or its checkout)
    SFrontOptions front;
    int checkSeconds = 30;
    int leaseSeconds = 0; // how long a claimed check is a checker's; 0: checkSeconds + 10
    int checkMemoryMb = 1024;
    int parallelChecks = 0;                                   // 0: one per processor
    int gameListSize = CRankingService::kDefaultGameListSize; // the best entries the game gets; 0: all
    std::filesystem::path importSqlite; // not empty: move this SQLite ranking into the database, and stop
    ESandboxMode sandbox = ESandboxMode::Auto; // around every run of the game on an upload
    SModeration moderation;                    // an action: run it against the store, and stop
    std::filesystem::path blockedNames;        // not empty: the words a new upload's name may not hold
    std::string metricsBind;                   // "ADDRESS:PORT" of the metrics listener; empty: none
};

// Reads the command line (and TAVONI_RANKING_DATABASE); nullopt with `message` set for --help (and
// `exitStatus` 0) or a bad option (2).
std::optional<SServerOptions> fParseServerOptions(int argc, char** argv, std::string& message,
                                                  int& exitStatus);

class CRankingServer {
public:
    // Throws std::runtime_error when the store, the game or the port cannot be used.
    explicit CRankingServer(SServerOptions options);
    ~CRankingServer();

    // 0 for a checker, which does not listen.
    int fPort() const { return mFront != nullptr ? mFront->fPort() : 0; }
    // The metrics listener's port; 0 without --metrics-bind.
    int fMetricsPort() const { return mMetricsFront != nullptr ? mMetricsFront->fPort() : 0; }
    // After a log rotation (SIGHUP): the access log file is opened again.
    void fReopenLogs();
    const SServerOptions& fOptions() const { return mOptions; }
    // Where the ranking is, for the log.
    std::string fStoreDescription() const;

private:
    void fStartChecks();
    void fStartMetrics();

    SServerOptions mOptions;
    std::filesystem::path mScratch; // the checks' scratch folders
    CServerMetrics mMetrics;        // outlives every part that counts
    std::unique_ptr<CPostgresConnections> mConnections;
    std::unique_ptr<CRankingStore> mStore;
    std::unique_ptr<CCheckQueue> mQueue;
    std::unique_ptr<CReplayChecker> mChecker;
    std::unique_ptr<CResultPainter> mPainter;
    std::unique_ptr<CCheckWorkers> mWorkers;
    std::unique_ptr<CRankingService> mService;
    std::unique_ptr<CHttpFront> mFront;
    std::unique_ptr<CMetricsFront> mMetricsFront;
};
