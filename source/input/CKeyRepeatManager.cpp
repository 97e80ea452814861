#include "input/CKeyRepeatManager.h"

CKeyRepeatManager::CRepeatInfo::CRepeatInfo(EGameKey key, int firstDelay, int interval)
    : key_(key), firstDelay_(firstDelay), interval_(interval), firstCount_(firstDelay),
      repeatCount_(interval) {}

void CKeyRepeatManager::CRepeatInfo::fUpdate(CKeyManagerBase& keys) {
    if (keys.fIsPush(key_, false)) {
        if (firstCount_ >= 0) {
            --firstCount_;
        } else {
            --repeatCount_;
        }
        return;
    }
    firstCount_ = firstDelay_;
    repeatCount_ = interval_;
}

bool CKeyRepeatManager::CRepeatInfo::fIsRepeat() {
    if (repeatCount_ < 0) {
        repeatCount_ = interval_;
        return true;
    }
    return false;
}

void CKeyRepeatManager::fUpdate(CKeyManagerBase& keys) {
    for (CRepeatInfo& info : infos_) {
        info.fUpdate(keys);
    }
}

void CKeyRepeatManager::fAddKey(EGameKey key) {
    infos_.emplace_back(key, firstDelay_, interval_);
}

bool CKeyRepeatManager::fIsRepeat(CKeyManagerBase& /*keys*/, EGameKey key) {
    for (CRepeatInfo& info : infos_) {
        if (info.fGetKey() == key && info.fIsRepeat()) {
            return true;
        }
    }
    return false;
}
