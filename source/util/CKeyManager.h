// Live input: each game key is a keyboard key (movement keys have two) and a gamepad bit, sampled once a
// frame. Optionally records every frame's 28 states, buffered in memory until flushed or ended.
#pragma once

#include "util/CKeyManagerBase.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

class CKeyManager : public CKeyManagerBase {
public:
    // Needs gOptionInfo for the pad mapping.
    CKeyManager();
    ~CKeyManager() override;
    CKeyManager(const CKeyManager&) = delete;
    CKeyManager& operator=(const CKeyManager&) = delete;

    void fUpdate() override;
    bool fIsDown(EGameKey key) override;
    bool fIsKeyboardPushed(EGameKey key) override;
    bool fIsHold(EGameKey key) override;
    bool fIsPush(EGameKey key, bool trigger) override;
    int fGetPressedJoypadButton() override;
    void fSetupPadButtonFromSetting() override;

    // Keyboard alone; LEFT, UP, RIGHT, DOWN also answer to the arrow keys of keys 4 to 7.
    virtual bool fCheckKeyboard(EGameKey key);
    // The first pad's state word masked with the key's pad bit (non-zero = down).
    virtual int fCheckJoypad(EGameKey key);
    virtual int fGetKeyCode(EGameKey key);
    virtual int fGetPadMask(EGameKey key);

    // Opens the record file (appending, or truncated). With stopWhenIdle, frames with no key down are no
    // longer recorded once idleLimit of them came in a row. Failing to open is a CException.
    virtual void fSetupRecord(const std::string& fileName, bool append, bool stopWhenIdle, int idleLimit);
    virtual void fStartRecord();
    virtual void fStopRecord();
    // Writes the buffered frames to the file.
    virtual void fFlushRecord();
    // Writes the buffered frames, closes the file and stops recording.
    virtual void fEndRecord();

    bool fIsRecording() const { return recording_; }

private:
    void fRecordFrame();
    // Writes and empties the buffer; false when the file refused the bytes.
    bool fWriteBuffer();

    std::array<int, kGameKeyCount> frameState_{};
    std::array<int, kGameKeyCount> keyCode_{};
    std::array<int, kGameKeyCount> padMask_{};
    std::array<bool, kGameKeyCount> pushLatch_{};
    // Records stay in memory until flushed: a file write per frame could stall a frame.
    bool bufferRecord_ = true;
    std::vector<std::int32_t> recordBuffer_;
    bool recording_ = false;
    bool stopWhenIdle_ = false;
    int idleFrames_ = 0;
    int idleLimit_ = 0;
    std::ofstream recordStream_;
    std::string recordFileName_;
};
