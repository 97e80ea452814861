#include "replay/CKeyPlayer.h"

#include "base/CException.h"
#include "base/Check.h"

CKeyPlayer::CKeyPlayer(const std::string& recordFileName)
    : CKeyPlayer(std::make_shared<const CKeyRecord>(CKeyRecord::fFromFile(recordFileName))) {}

CKeyPlayer::CKeyPlayer(std::shared_ptr<const CKeyRecord> record) : record_(std::move(record)) {
    TAVONI_CHECK(record_ != nullptr, "replay/CKeyPlayer", "a key player needs a record");
    pushLatch_.fill(true);
    replayState_.fill(false);
    liveKeyManager_ = std::make_unique<CKeyManager>();
}

void CKeyPlayer::fUpdate() {
    if (!playing_) {
        return;
    }
    if (nextFrame_ < fGetFrameCount()) {
        replayState_ = record_->fGetFrame(nextFrame_++);
    } else {
        // After the last frame every key is up and the stage runs on without input.
        replayState_.fill(false);
    }
    if (liveKeys_) {
        liveKeyManager_->fUpdate();
    }
}

bool CKeyPlayer::fIsDown(EGameKey key) {
    const int index = fKeyIndex(key);
    if (fIsLiveKey(key)) {
        return liveKeys_ && liveKeyManager_->fIsDown(key);
    }
    return replayState_[static_cast<std::size_t>(index)];
}

bool CKeyPlayer::fIsKeyboardPushed(EGameKey key) {
    if (fIsLiveKey(key)) {
        return liveKeys_ && liveKeyManager_->fIsPush(key, true);
    }
    return fIsPushRecorded(key);
}

bool CKeyPlayer::fIsHold(EGameKey key) {
    return fIsDown(key);
}

bool CKeyPlayer::fIsPush(EGameKey key, bool trigger) {
    if (!trigger) {
        return fIsHold(key);
    }
    return fIsPushRecorded(key);
}

int CKeyPlayer::fGetPressedJoypadButton() {
    TAVONI_CHECK(false, "replay/CKeyPlayer", "CKeyManager`s fGetPressedJoypadButton mus'nt call");
    return -1;
}

void CKeyPlayer::fSetupPadButtonFromSetting() {
    TAVONI_CHECK(false, "replay/CKeyPlayer", "CKeyManager`s fSetupPadButtonFromSetting mus'nt call");
}

bool CKeyPlayer::fIsDownLive(EGameKey key) {
    return liveKeyManager_->fIsDown(key);
}

bool CKeyPlayer::fIsPushRecorded(EGameKey key) {
    const auto index = static_cast<std::size_t>(fKeyIndex(key));
    return fApplyPushLatch(pushLatch_[index], replayState_[index]);
}

bool CKeyPlayer::fIsHoldLive(EGameKey key) {
    return fIsDownLive(key);
}

bool CKeyPlayer::fIsHoldSelect(EGameKey key, bool live) {
    return live ? fIsHoldLive(key) : fIsHold(key);
}

void CKeyPlayer::fEndPlay() {
    playing_ = false;
    record_.reset();
    nextFrame_ = 0;
}
