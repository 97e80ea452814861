// A stage actor that remembers its last 16 positions, oldest first.
#pragma once

#include "Stage/CActorInStage.h"

#include <vector>

class CObjectWithAxisHistory : public CActorInStage {
public:
    static constexpr size_t kHistorySize = 16;

    CObjectWithAxisHistory() { mAxisHistory.reserve(kHistorySize + 1); }

    virtual void fAddHistory(SPointD p) {
        mAxisHistory.push_back(p);
        if (mAxisHistory.size() > kHistorySize) {
            mAxisHistory.erase(mAxisHistory.begin());
        }
    }
    virtual bool fIsHistoryFull() const { return mAxisHistory.size() >= kHistorySize; }

    std::vector<SPointD> mAxisHistory;
};
