#include "input/CKeyManagerBase.h"

#include "base/Check.h"

std::unique_ptr<CKeyManagerBase> gKeyManager;

int CKeyManagerBase::fKeyIndex(EGameKey key) {
    const auto index = static_cast<int>(key);
    TAVONI_CHECK(index >= 0 && index < kGameKeyCount, "input/CKeyManagerBase", "game key out of range");
    return index;
}

EDirectionTenkey CKeyManagerBase::fGetDirection() {
    const bool left = fIsPush(EGameKey::LEFT, false);
    const bool up = fIsPush(EGameKey::UP, false);
    const bool right = fIsPush(EGameKey::RIGHT, false);
    const bool down = fIsPush(EGameKey::DOWN, false);
    return fDecideDirection(left, up, right, down);
}

EDirectionTenkey CKeyManagerBase::fDecideDirection(bool left, bool up, bool right, bool down) {
    if (left) {
        if (up) {
            return EDirectionTenkey::UP_LEFT;
        }
        return down ? EDirectionTenkey::DOWN_LEFT : EDirectionTenkey::LEFT;
    }
    if (up) {
        return right ? EDirectionTenkey::UP_RIGHT : EDirectionTenkey::UP;
    }
    if (right) {
        return down ? EDirectionTenkey::DOWN_RIGHT : EDirectionTenkey::RIGHT;
    }
    return down ? EDirectionTenkey::DOWN : EDirectionTenkey::NEUTRAL;
}

bool CKeyManagerBase::fApplyPushLatch(bool& latch, bool down) {
    if (!down) {
        latch = false;
        return false;
    }
    if (latch) {
        return false;
    }
    latch = true;
    return true;
}
