#include "util/CKeyPlayer.h"

#include "base/CArchiver.h"
#include "base/CException.h"
#include "base/Check.h"

#include <fstream>
#include <iterator>

// Unpacking refuses key records of a shape this player would refuse, before it writes them.
static_assert(CArchiver::kKeyFrameBytes == CKeyPlayer::kFrameBytes);
static_assert(CArchiver::kKeyTailBytes == CKeyPlayer::kIgnoredTailBytes);

CKeyPlayer::CKeyPlayer(const std::string& recordFileName) {
    std::ifstream in(recordFileName, std::ios::binary | std::ios::ate);
    if (!in) {
        throw CException("Cannot open the replay's key record '" + recordFileName + "'");
    }
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::uint64_t>(size) > CArchiver::kMaxMemberSize) {
        throw CException("The replay's key record '" + recordFileName + "' is too large to be a replay");
    }
    // A tail of at most kIgnoredTailBytes is never read (see fUpdate); a longer one is a frame cut short,
    // which is refused here rather than failing in the middle of the playback.
    if (static_cast<std::size_t>(size) % kFrameBytes > kIgnoredTailBytes) {
        throw CException("The replay's key record '" + recordFileName +
                         "' is damaged: " + std::to_string(size) + " bytes is not a whole number of " +
                         std::to_string(kFrameBytes) + "-byte frames");
    }
    records_.resize(static_cast<std::size_t>(size));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(records_.data()), static_cast<std::streamsize>(records_.size()));
    if (!in) {
        throw CException("Cannot read the replay's key record '" + recordFileName + "'");
    }
    frameCount_ = records_.size() / kFrameBytes;
    pushLatch_.fill(true);
    replayState_.fill(false);
    liveKeyManager_ = std::make_unique<CKeyManager>();
}

void CKeyPlayer::fUpdate() {
    if (!playing_) {
        return;
    }
    // A frame is read while more than kIgnoredTailBytes are left; the constructor made sure that a whole
    // frame is there whenever that holds.
    if (records_.size() - position_ > kIgnoredTailBytes) {
        for (std::size_t k = 0; k < static_cast<std::size_t>(kGameKeyCount); ++k) {
            const unsigned char* b = &records_[position_ + 4 * k];
            const std::uint32_t value =
                static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
                (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
            replayState_[k] = value != 0;
        }
        position_ += kFrameBytes;
    } else {
        // After the last frame every key is up and the stage runs on without input.
        replayState_.fill(false);
    }
    liveKeyManager_->fUpdate();
}

bool CKeyPlayer::fIsDown(EGameKey key) {
    const int index = fKeyIndex(key);
    if (fIsLiveKey(key)) {
        return liveKeyManager_->fIsDown(key);
    }
    return replayState_[static_cast<std::size_t>(index)];
}

bool CKeyPlayer::fIsKeyboardPushed(EGameKey key) {
    if (fIsLiveKey(key)) {
        return liveKeyManager_->fIsPush(key, true);
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
    TAVONI_CHECK(false, "util/CKeyManager", "CKeyManager`s fGetPressedJoypadButton mus'nt call");
    return -1;
}

void CKeyPlayer::fSetupPadButtonFromSetting() {
    TAVONI_CHECK(false, "util/CKeyManager", "CKeyManager`s fSetupPadButtonFromSetting mus'nt call");
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
    records_.clear();
    records_.shrink_to_fit();
    position_ = 0;
}
