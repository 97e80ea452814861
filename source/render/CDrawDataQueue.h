// The stage's per-frame list of sprites: actors push a copy of their draw data with a priority; the stage
// flushes once per frame, lowest priority first (drawn behind).
#pragma once

#include "render/CDrawData.h"

#include <vector>

struct SDrawInfoForQueue {
    SPointD position;
    SDrawData data;
    int priority = 0;
};

class CDrawDataQueue {
public:
    CDrawDataQueue() { mEntries.reserve(1024); }
    virtual ~CDrawDataQueue() = default;

    virtual void fPush(SPointD position, SDrawData data, int priority);
    virtual void fFlush();

    size_t fGetSize() const { return mEntries.size(); }

private:
    std::vector<SDrawInfoForQueue> mEntries;
};
