#include "util/ReplayFiles.h"

#include "GameMain/GameRecords.h"
#include "util/CArchiver.h"
#include "util/CException.h"
#include "util/CKeyPlayer.h"
#include "util/CRandom.h"
#include "util/Check.h"
#include "util/serialization/RecordFile.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {
void removeIfPresent(const std::string& path) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

CKeyManager& liveKeyManager() {
    auto* manager = dynamic_cast<CKeyManager*>(gKeyManager.get());
    TAVONI_CHECK(manager != nullptr, "util/CKeyManager", "a recorded run needs a live key manager");
    return *manager;
}
} // namespace

void fWriteSeedFile(const std::string& path, std::int32_t seed) {
    std::printf("Seed = %d\n", seed);
    std::fflush(stdout);
    serialization::fSaveRecord(path, [seed](serialization::Serializer& s) {
        std::int32_t value = seed;
        s.describe(value);
    });
}

std::int32_t fReadSeedFile(const std::string& path) {
    std::int32_t seed = 0;
    serialization::fLoadRecord(path, [&seed](serialization::Serializer& s) { s.describe(seed); });
    return seed;
}

std::int32_t fRunSeedFromTime(std::int64_t utcMilliseconds) {
    const std::int64_t part = utcMilliseconds % 1000;
    return static_cast<std::int32_t>(part < 0 ? part + 1000 : part);
}

std::int32_t fMakeRunSeed() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return fRunSeedFromTime(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void fStartRecordedRun(std::int32_t seed) {
    CKeyManager& keys = liveKeyManager();
    gRandom = std::make_unique<CRandom>(seed);
    keys.fSetupRecord(kReplayKeyTmpPath, false, false, 0);
    keys.fStartRecord();
}

void fStartPlayback(const std::string& packedReplayPath) {
    CArchiver::fExtract(packedReplayPath);
    auto player = std::make_unique<CKeyPlayer>(kReplayKeyPath);
    const std::int32_t seed = fReadSeedFile(kReplaySeedPath);
    std::printf("Seed = %d\n", seed);
    std::fflush(stdout);
    gKeyManager = std::move(player);
    gRandom = std::make_unique<CRandom>(seed);
    static_cast<CKeyPlayer&>(*gKeyManager).fStartPlay();
}

void fEndPlayback() {
    if (auto* player = dynamic_cast<CKeyPlayer*>(gKeyManager.get())) {
        player->fEndPlay();
    }
    gKeyManager = std::make_unique<CKeyManager>();
}

void fAbandonRecordedRun() {
    liveKeyManager().fEndRecord();
}

bool fEndRecordedRun(std::int32_t score, std::int32_t bestScore) {
    liveKeyManager().fEndRecord();
    if (score <= bestScore) {
        removeIfPresent(kReplayKeyTmpPath);
        return false;
    }
    TAVONI_CHECK(gRandom != nullptr, "util/CKeyManager", "a run has a random generator");
    fWriteSeedFile(kReplaySeedPath, gRandom->fGetSeed());
    fSaveHighScore(CHighScoreInfo(score, false));
    std::error_code error;
    if (std::filesystem::exists(kReplayKeyTmpPath, error)) {
        std::filesystem::rename(kReplayKeyTmpPath, kReplayKeyPath, error);
        if (error) {
            throw CException(std::string("Cannot store the replay's key record: ") + error.message());
        }
    } else {
        removeIfPresent(kReplayKeyPath);
    }
    CArchiver::fCompress(kPackedReplayPath, {kReplayKeyPath, kReplaySeedPath}, true);
    return true;
}

void fRemoveReplayPlaceholders() {
    removeIfPresent("dat/replay/dummy");
    removeIfPresent("downloaded_replay/dummy");
}

void fRemoveLooseReplayFiles() {
    removeIfPresent(kReplaySeedPath);
    removeIfPresent(kReplayKeyPath);
}
