#include "Stage/CRunSession.h"
#include "base/GameFolders.h"

#include "Stage/HighScoreFile.h"
#include "base/CArchiver.h"
#include "base/CException.h"
#include "base/CRandom.h"
#include "base/Check.h"
#include "base/Log.h"
#include "input/CKeyManager.h"
#include "replay/CKeyPlayer.h"
#include "replay/CKeyRecorder.h"
#include "replay/ReplayFiles.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <system_error>

namespace {
CKeyManager& fLiveKeyManager() {
    auto* manager = dynamic_cast<CKeyManager*>(gKeyManager.get());
    TAVONI_CHECK(manager != nullptr, "Stage", "a recorded run needs a live key manager");
    return *manager;
}

void fRename(const std::string& from, const std::string& to) {
    std::error_code error;
    std::filesystem::rename(from, to, error);
    if (error) {
        throw CException("Cannot store the replay (" + from + " to " + to + "): " + error.message());
    }
}
} // namespace

CRunSession::CRunSession(std::string replayPath, SReplayInput input)
    : mReplayPath(std::move(replayPath)), mInput(std::move(input)) {}

CRunSession::~CRunSession() {
    if (!mRunning) {
        return;
    }
    try {
        fAbandon();
    } catch (const std::exception& e) {
        fLogWarning(std::string("ending the run failed: ") + e.what());
    }
    if (mRandomBefore) {
        gRandom = std::move(mRandomBefore);
    }
}

void CRunSession::fStart(std::int32_t seed) {
    TAVONI_CHECK(!mRunning, "Stage", "a run starts once");
    std::unique_ptr<CRandom> before = std::move(gRandom);
    try {
        if (fIsReplay() && mInput.keys) {
            gRandom = std::make_unique<CRandom>(mInput.seed);
            gKeyManager = std::make_unique<CKeyPlayer>(mInput.keys);
            static_cast<CKeyPlayer&>(*gKeyManager).fStartPlay();
        } else if (fIsReplay()) {
            CArchiver::fExtract(mReplayPath, fUserPath(""));
            auto player = std::make_unique<CKeyPlayer>(fUserPath(kReplayKeyPath));
            const std::int32_t stored = fReadSeedFile(fUserPath(kReplaySeedPath));
            std::printf("Seed = %d\n", stored);
            std::fflush(stdout);
            gRandom = std::make_unique<CRandom>(stored);
            gKeyManager = std::move(player);
            static_cast<CKeyPlayer&>(*gKeyManager).fStartPlay();
        } else {
            CKeyManager& keys = fLiveKeyManager();
            gRandom = std::make_unique<CRandom>(seed);
            auto recorder = std::make_shared<CKeyRecorder>();
            recorder->fSetupRecord(fUserPath(kReplayKeyTmpPath), false, false, 0);
            recorder->fStartRecord();
            keys.fSetFrameListener(recorder);
            mRecorder = std::move(recorder);
        }
    } catch (...) {
        gRandom = std::move(before);
        throw;
    }
    mRandomBefore = std::move(before);
    mRunning = true;
}

bool CRunSession::fEnd(std::int32_t score, std::int32_t bestScore) {
    TAVONI_CHECK(mRunning, "Stage", "only a running run ends");
    mRunning = false;
    mRandomBefore.reset();
    if (fIsReplay()) {
        if (auto* player = dynamic_cast<CKeyPlayer*>(gKeyManager.get())) {
            player->fEndPlay();
        }
        gKeyManager = std::make_unique<CKeyManager>();
        return false;
    }
    fEndRecording();
    if (score <= bestScore) {
        fRemoveIfPresent(fUserPath(kReplayKeyTmpPath));
        return false;
    }
    fStoreReplay(score);
    return true;
}

void CRunSession::fAbandon() {
    TAVONI_CHECK(mRunning, "Stage", "only a running run is abandoned");
    mRunning = false;
    if (fIsReplay()) {
        if (auto* player = dynamic_cast<CKeyPlayer*>(gKeyManager.get())) {
            player->fEndPlay();
        }
        gKeyManager = std::make_unique<CKeyManager>();
    } else {
        fEndRecording();
    }
}

void CRunSession::fEndRecording() {
    TAVONI_CHECK(mRecorder != nullptr, "Stage", "a recorded run has a recorder");
    // Dropping the recorder detaches it from the key manager.
    const std::shared_ptr<CKeyRecorder> recorder = std::move(mRecorder);
    recorder->fEndRecord();
}

void CRunSession::fStoreReplay(std::int32_t score) {
    TAVONI_CHECK(gRandom != nullptr, "Stage", "a run has a random generator");
    fWriteSeedFile(fUserPath(kReplaySeedPath), gRandom->fGetSeed());
    const std::string keyTmp = fUserPath(kReplayKeyTmpPath);
    std::error_code error;
    if (std::filesystem::exists(keyTmp, error)) {
        fRename(keyTmp, fUserPath(kReplayKeyPath));
    } else {
        fRemoveIfPresent(fUserPath(kReplayKeyPath));
    }
    const std::string packed = fUserPath(kPackedReplayPath);
    const std::string packing = packed + ".new";
    try {
        // Members keep their relative names, so a replay plays in either mode.
        CArchiver::fCompress(packing, {kReplayKeyPath, kReplaySeedPath}, true, fUserPath(""));
        fRename(packing, packed);
    } catch (...) {
        fRemoveIfPresent(packing);
        throw;
    }
    // The replay first, then the score that names it: a failure before this line leaves the old score with
    // its old replay. A crash between the two saves can still leave the new replay beside the old score,
    // which stays a smaller score than the replay's run; it is replaced by the next better run.
    fSaveHighScore(CHighScoreInfo(score, false));
}
