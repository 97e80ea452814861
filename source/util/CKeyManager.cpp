#include "util/CKeyManager.h"

#include "base/CException.h"
#include "base/Check.h"
#include "util/COptionInfo.h"

#include <dx/DxLib.h>

namespace {
constexpr int kNoPadButton = static_cast<int>(0x80000000u);

constexpr std::array<int, kGameKeyCount> kDefaultKeyCodes = {
    0x24, 0x17, 0x26, 0x25,                                     // J I L K
    0xCB, 0xC8, 0xCD, 0xD0,                                     // arrows
    0x2C, 0x2D, 0x2E, 0x1E, 0x1F, 0x20, 0x39,                   // Z X C A S D Space
    0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x41, 0x42, 0x43, 0x44, // F1 .. F10
    0x57, 0x58, 0x01,                                           // F11 F12 Esc
};

constexpr std::array<int, kGameKeyCount> kDefaultPadMasks = {
    0x2,          0x8,          0x4,          0x1,          0x2,          0x8,          0x4,
    0x1,          0x10,         0x20,         0x40,         0x80,         0x100,        0x200,
    0x800,        kNoPadButton, kNoPadButton, kNoPadButton, kNoPadButton, kNoPadButton, kNoPadButton,
    kNoPadButton, kNoPadButton, kNoPadButton, kNoPadButton, kNoPadButton, kNoPadButton, kNoPadButton,
};

constexpr std::size_t kFramesReserved = 60 * 60 * 5;
} // namespace

CKeyManager::CKeyManager() {
    pushLatch_.fill(true);
    frameState_.fill(0);
    keyCode_ = kDefaultKeyCodes;
    padMask_ = kDefaultPadMasks;
    fSetupPadButtonFromSetting();
    for (int k = static_cast<int>(EGameKey::KEY_F1); k < kGameKeyCount; ++k) {
        padMask_[static_cast<std::size_t>(k)] = kNoPadButton;
    }
}

CKeyManager::~CKeyManager() {
    // A manager replaced in the middle of a recording still leaves the frames it saw.
    if (recordStream_.is_open()) {
        static_cast<void>(fWriteBuffer());
    }
}

void CKeyManager::fUpdate() {
    bool anyDown = false;
    for (int k = 0; k < kGameKeyCount; ++k) {
        const bool down = fIsDown(static_cast<EGameKey>(k));
        frameState_[static_cast<std::size_t>(k)] = down ? 1 : 0;
        anyDown = anyDown || down;
    }
    if (!recording_) {
        return;
    }
    if (anyDown) {
        idleFrames_ = 0;
        fRecordFrame();
        return;
    }
    ++idleFrames_;
    if (!stopWhenIdle_ || idleFrames_ < idleLimit_) {
        fRecordFrame();
    }
}

void CKeyManager::fRecordFrame() {
    recordBuffer_.insert(recordBuffer_.end(), frameState_.begin(), frameState_.end());
    if (!bufferRecord_) {
        fFlushRecord();
    }
}

bool CKeyManager::fIsDown(EGameKey key) {
    return fCheckKeyboard(key) || fCheckJoypad(key) != 0;
}

bool CKeyManager::fIsKeyboardPushed(EGameKey key) {
    const int index = fKeyIndex(key);
    return fApplyPushLatch(pushLatch_[static_cast<std::size_t>(index)], fCheckKeyboard(key));
}

bool CKeyManager::fIsHold(EGameKey key) {
    return frameState_[static_cast<std::size_t>(fKeyIndex(key))] == 1;
}

bool CKeyManager::fIsPush(EGameKey key, bool trigger) {
    if (!trigger) {
        return fIsHold(key);
    }
    const int index = fKeyIndex(key);
    return fApplyPushLatch(pushLatch_[static_cast<std::size_t>(index)], fIsHold(key));
}

int CKeyManager::fGetPressedJoypadButton() {
    const int pad = dx_GetJoypadInputState(1);
    for (unsigned bit = 0x10; bit <= 0x80000; bit <<= 1) {
        if ((static_cast<unsigned>(pad) & bit) != 0) {
            return static_cast<int>(bit);
        }
    }
    return -1;
}

void CKeyManager::fSetupPadButtonFromSetting() {
    TAVONI_CHECK(gOptionInfo != nullptr, "util/CKeyManager", "the settings must be loaded before input");
    const std::vector<std::int32_t>& b = gOptionInfo->buttons;
    TAVONI_CHECK(b.size() == static_cast<std::size_t>(COptionInfo::kButtonCount), "util/CKeyManager",
                 "the settings must hold 15 buttons");
    padMask_[static_cast<std::size_t>(EGameKey::KEY_Z)] = b[8];
    padMask_[static_cast<std::size_t>(EGameKey::KEY_X)] = b[9];
    padMask_[static_cast<std::size_t>(EGameKey::KEY_C)] = b[10];
    padMask_[static_cast<std::size_t>(EGameKey::LEFT)] = b[0];
    padMask_[static_cast<std::size_t>(EGameKey::UP)] = b[1];
    padMask_[static_cast<std::size_t>(EGameKey::RIGHT)] = b[2];
    padMask_[static_cast<std::size_t>(EGameKey::DOWN)] = b[3];
}

bool CKeyManager::fCheckKeyboard(EGameKey key) {
    const int index = fKeyIndex(key);
    if (index < 4) {
        return dx_CheckHitKey(keyCode_[static_cast<std::size_t>(index)]) != 0 ||
               dx_CheckHitKey(keyCode_[static_cast<std::size_t>(index + 4)]) != 0;
    }
    return dx_CheckHitKey(keyCode_[static_cast<std::size_t>(index)]) != 0;
}

int CKeyManager::fCheckJoypad(EGameKey key) {
    const int index = fKeyIndex(key);
    return dx_GetJoypadInputState(1) & padMask_[static_cast<std::size_t>(index)];
}

int CKeyManager::fGetKeyCode(EGameKey key) {
    return keyCode_[static_cast<std::size_t>(fKeyIndex(key))];
}

int CKeyManager::fGetPadMask(EGameKey key) {
    return padMask_[static_cast<std::size_t>(fKeyIndex(key))];
}

void CKeyManager::fSetupRecord(const std::string& fileName, bool append, bool stopWhenIdle, int idleLimit) {
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

void CKeyManager::fStartRecord() {
    TAVONI_CHECK(recordStream_.is_open(), "util/CKeyManager", "fStartRecord needs fSetupRecord first");
    recording_ = true;
}

void CKeyManager::fStopRecord() {
    recording_ = false;
}

void CKeyManager::fFlushRecord() {
    TAVONI_CHECK(recordStream_.is_open(), "util/CKeyManager", "fFlushRecord needs fSetupRecord first");
    if (!fWriteBuffer()) {
        throw CException("Cannot write the key record file '" + recordFileName_ + "'");
    }
}

void CKeyManager::fEndRecord() {
    TAVONI_CHECK(!recordFileName_.empty(), "util/CKeyManager", "fEndRecord needs fSetupRecord first");
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

bool CKeyManager::fWriteBuffer() {
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
