#include "GameMain/CSceneHolder.h"

CSceneHolder gScene;

CSceneHolder& CSceneHolder::operator=(std::unique_ptr<CScene> next) {
    // The first scene replaced since the last release may still be running (it made the call): keep it.
    // A scene replaced after that never ran, so it can go at once.
    if (!mRetired) {
        mRetired = std::move(mCurrent);
    }
    mCurrent = std::move(next);
    return *this;
}

void CSceneHolder::fReset() {
    mRetired.reset();
    mCurrent.reset();
}
