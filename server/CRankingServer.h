// A whole ranking server: its store in the data folder, the replay checker and the HTTP front, started
// together and stopped together. main() runs one; tests run one inside their own process.
#pragma once

#include "CHttpFront.h"
#include "CRankingService.h"
#include "CRankingStore.h"
#include "CReplayChecker.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

struct SServerOptions {
    std::filesystem::path dataFolder = "ranking-data";
    std::filesystem::path game;     // empty: the tavoni binary beside the server's own
    std::filesystem::path gameData; // empty: found beside the program (installed data or its checkout)
    SFrontOptions front;
    int checkSeconds = 30;
    int checkMemoryMb = 1024;
    int parallelChecks = 0; // 0: one per processor
};

// Reads the command line; nullopt with `message` set for --help (and `exitStatus` 0) or a bad option (2).
std::optional<SServerOptions> fParseServerOptions(int argc, char** argv, std::string& message,
                                                  int& exitStatus);

class CRankingServer {
public:
    // Throws std::runtime_error when the data folder, the game or the port cannot be used.
    explicit CRankingServer(SServerOptions options);
    ~CRankingServer();

    int fPort() const { return mFront->fPort(); }
    const SServerOptions& fOptions() const { return mOptions; }

private:
    SServerOptions mOptions;
    std::unique_ptr<CRankingStore> mStore;
    std::unique_ptr<CReplayChecker> mChecker;
    std::unique_ptr<CRankingService> mService;
    std::unique_ptr<CHttpFront> mFront;
};
