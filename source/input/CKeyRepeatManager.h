// Menu auto-repeat: while a watched key stays held, after a first delay it answers "repeat" at a steady
// rate. The push itself comes from fIsPush(key, true), not from here.
#pragma once

#include "input/CKeyManagerBase.h"

#include <vector>

class CKeyRepeatManager {
public:
    class CRepeatInfo {
    public:
        CRepeatInfo(EGameKey key, int firstDelay, int interval);
        virtual ~CRepeatInfo() = default;

        // Counts the first delay down while the key is held, then the repeat period; a frame with the key
        // up starts both over.
        virtual void fUpdate(CKeyManagerBase& keys);
        // True once when a repeat is due; a due repeat stays due until asked for.
        virtual bool fIsRepeat();
        virtual EGameKey fGetKey() const { return key_; }

    private:
        EGameKey key_;
        int firstDelay_;
        int interval_;
        int firstCount_;
        int repeatCount_;
    };

    CKeyRepeatManager() = default;
    virtual ~CKeyRepeatManager() = default;

    // Once per frame, before the menu reads its input.
    virtual void fUpdate(CKeyManagerBase& keys);
    virtual void fAddKey(EGameKey key);
    // True when some info of the key is due; only the first due one is reset. `keys` is not used.
    virtual bool fIsRepeat(CKeyManagerBase& keys, EGameKey key);

private:
    std::vector<CRepeatInfo> infos_;
    int firstDelay_ = 12;
    int interval_ = 8;
};
