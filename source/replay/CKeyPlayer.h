// Replay input: answers the key questions from a frame record file (28 little-endian 32-bit states per
// frame), except Esc and F1, which stay live so the player can leave or fast-forward a playback.
#pragma once

#include "input/CKeyManager.h"
#include "replay/CKeyRecord.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CKeyPlayer : public CKeyManagerBase {
public:
    static constexpr std::size_t kFrameBytes = CKeyRecord::kFrameBytes;
    static constexpr std::size_t kIgnoredTailBytes = CKeyRecord::kIgnoredTailBytes;

    // Reads the record file whole (CKeyRecord::fFromFile); a missing or damaged file is a CException.
    // Makes a live key manager of its own (gOptionInfo must exist).
    explicit CKeyPlayer(const std::string& recordFileName);
    // Plays a record already read (the replay theater plays one record again and again).
    explicit CKeyPlayer(std::shared_ptr<const CKeyRecord> record);

    // While playing: the next recorded frame (all keys up after the last one), then the live keys.
    void fUpdate() override;
    bool fIsDown(EGameKey key) override;
    bool fIsKeyboardPushed(EGameKey key) override;
    bool fIsHold(EGameKey key) override;
    bool fIsPush(EGameKey key, bool trigger) override;
    // Neither may be called during a playback.
    int fGetPressedJoypadButton() override;
    void fSetupPadButtonFromSetting() override;

    virtual bool fIsDownLive(EGameKey key);
    virtual bool fIsPushRecorded(EGameKey key);
    virtual bool fIsHoldLive(EGameKey key);
    virtual bool fIsHoldSelect(EGameKey key, bool live);
    virtual void fStartPlay() { playing_ = true; }
    virtual void fStopPlay() { playing_ = false; }
    virtual void fEndPlay();

    // Whole frames in the record file.
    std::size_t fGetFrameCount() const { return record_ ? record_->fGetFrameCount() : 0; }

    // Off: Esc and F1 read as up and the live keys are not sampled. A playback replayed out of sight to
    // reach a frame must not act on keys the player holds at that moment.
    void fSetLiveKeys(bool on) { liveKeys_ = on; }

private:
    static bool fIsLiveKey(EGameKey key) { return key == EGameKey::KEY_ESC || key == EGameKey::KEY_F1; }

    std::array<bool, kGameKeyCount> pushLatch_{};
    bool playing_ = false;
    std::shared_ptr<const CKeyRecord> record_;
    bool liveKeys_ = true;
    std::size_t nextFrame_ = 0;
    std::array<bool, kGameKeyCount> replayState_{};
    std::unique_ptr<CKeyManager> liveKeyManager_;
};
