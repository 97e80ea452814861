#include "replay/CKeyRecorder.h"

#include "base/CException.h"
#include "base/Check.h"

#include <algorithm>

namespace {
constexpr std::size_t kFramesReserved = 60 * 60 * 5;
} // namespace

CKeyRecorder::~CKeyRecorder() {
    if (recordStream_.is_open()) {
        static_cast<void>(fWriteBuffer());
    }
}

void CKeyRecorder::fOnKeyFrame(const std::array<int, kGameKeyCount>& states) {
    if (!recording_) {
        return;
    }
    const bool anyDown = std::any_of(states.begin(), states.end(), [](int state) { return state != 0; });
    idleFrames_ = anyDown ? 0 : idleFrames_ + 1;
    if (anyDown || !stopWhenIdle_ || idleFrames_ < idleLimit_) {
        recordBuffer_.insert(recordBuffer_.end(), states.begin(), states.end());
        if (!bufferRecord_) {
            fFlushRecord();
        }
    }
}

void CKeyRecorder::fSetupRecord(const std::string& fileName, bool append, bool stopWhenIdle, int idleLimit) {
    if (recordStream_.is_open()) {
        static_cast<void>(fWriteBuffer());
        recordStream_.close();
    }
    recordBuffer_.clear();
    recordBuffer_.reserve(kFramesReserved * kGameKeyCount);
    stopWhenIdle_ = stopWhenIdle;
    idleLimit_ = idleLimit;
    idleFrames_ = 0;
    recordFileName_ = fileName;
    recordStream_.clear();
    recordStream_.open(fileName,
                       std::ios::binary | std::ios::out | (append ? std::ios::app : std::ios::trunc));
    if (!recordStream_.is_open()) {
        throw CException("Cannot create the key record file '" + fileName + "'");
    }
}

void CKeyRecorder::fStartRecord() {
    TAVONI_CHECK(recordStream_.is_open(), "replay/CKeyRecorder", "fStartRecord needs fSetupRecord first");
    recording_ = true;
}

void CKeyRecorder::fStopRecord() {
    recording_ = false;
}

void CKeyRecorder::fFlushRecord() {
    TAVONI_CHECK(recordStream_.is_open(), "replay/CKeyRecorder", "fFlushRecord needs fSetupRecord first");
    if (!fWriteBuffer()) {
        throw CException("Cannot write the key record file '" + recordFileName_ + "'");
    }
}

void CKeyRecorder::fEndRecord() {
    TAVONI_CHECK(!recordFileName_.empty(), "replay/CKeyRecorder", "fEndRecord needs fSetupRecord first");
    recording_ = false;
    if (!recordStream_.is_open()) {
        return;
    }
    const bool written = fWriteBuffer();
    recordStream_.close();
    if (!written || recordStream_.fail()) {
        throw CException("Cannot write the key record file '" + recordFileName_ + "'");
    }
}

bool CKeyRecorder::fWriteBuffer() {
    std::vector<char> bytes;
    bytes.reserve(recordBuffer_.size() * 4);
    for (const std::int32_t value : recordBuffer_) {
        const auto raw = static_cast<std::uint32_t>(value);
        bytes.push_back(static_cast<char>(raw & 0xFF));
        bytes.push_back(static_cast<char>((raw >> 8) & 0xFF));
        bytes.push_back(static_cast<char>((raw >> 16) & 0xFF));
        bytes.push_back(static_cast<char>((raw >> 24) & 0xFF));
    }
    recordBuffer_.clear();
    recordStream_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    recordStream_.flush();
    return recordStream_.good();
}
