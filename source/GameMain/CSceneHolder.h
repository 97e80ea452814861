// The current scene (gScene). A scene ends by putting a new scene in gScene; going back always creates a
// new scene object.
#pragma once

#include "base/CScene.h"

#include <memory>

// Assigning a new scene replaces the current one: a scene that replaces itself keeps running until its own
// fInput or fUpdate returns, so the old object is parked until the loop releases it.
class CSceneHolder {
public:
    CScene* operator->() const { return mCurrent.get(); }
    CScene* get() const { return mCurrent.get(); }
    explicit operator bool() const { return mCurrent != nullptr; }
    CSceneHolder& operator=(std::unique_ptr<CScene> next);
    // Frees scenes replaced since the last call; the loop calls it between scene operations.
    void fReleaseRetired() { mRetired.reset(); }
    void fReset();

private:
    std::unique_ptr<CScene> mCurrent;
    std::unique_ptr<CScene> mRetired;
};

extern CSceneHolder gScene;
