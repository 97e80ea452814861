// The recording half of live input: attached to a key manager, it writes every frame's 28 key states to
// the run's key record file, buffered in memory until flushed or ended.
#pragma once

#include "input/CKeyManager.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

class CKeyRecorder : public CKeyFrameListener {
public:
    CKeyRecorder() = default;
    // A recorder dropped in the middle of a recording still leaves the frames it saw.
    ~CKeyRecorder() override;
    CKeyRecorder(const CKeyRecorder&) = delete;
    CKeyRecorder& operator=(const CKeyRecorder&) = delete;

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

    void fOnKeyFrame(const std::array<int, kGameKeyCount>& states) override;

private:
    // Writes and empties the buffer; false when the file refused the bytes.
    bool fWriteBuffer();

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
