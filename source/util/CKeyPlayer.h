// Replay input: answers the key questions from a frame record file (28 little-endian 32-bit states per
// frame), except Esc and F1, which stay live so the player can leave or fast-forward a playback.
#pragma once

#include "util/CKeyManager.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CKeyPlayer : public CKeyManagerBase {
public:
    static constexpr std::size_t kFrameBytes = 4 * kGameKeyCount;
    // Bytes at the end of the file that are too few to be read as a frame: a frame is read only while more
    // than this many bytes are left, so a tail of up to 10 bytes is ignored.
    static constexpr std::size_t kIgnoredTailBytes = 10;

    // Reads the record file whole; a missing file, or one that ends in a frame cut short (more than
    // kIgnoredTailBytes after the last whole frame), is a CException. Makes a live key manager of its own
    // (gOptionInfo must exist).
    explicit CKeyPlayer(const std::string& recordFileName);

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
    std::size_t fGetFrameCount() const { return frameCount_; }

private:
    static bool fIsLiveKey(EGameKey key) { return key == EGameKey::KEY_ESC || key == EGameKey::KEY_F1; }

    std::array<bool, kGameKeyCount> pushLatch_{};
    bool playing_ = false;
    std::vector<unsigned char> records_;
    std::size_t frameCount_ = 0;
    std::size_t position_ = 0;
    std::array<bool, kGameKeyCount> replayState_{};
    std::unique_ptr<CKeyManager> liveKeyManager_;
};
