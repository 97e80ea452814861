#include "render/CDrawDataQueue.h"

#include <algorithm>

void CDrawDataQueue::fPush(SPointD position, SDrawData data, int priority) {
    mEntries.push_back(SDrawInfoForQueue{position, std::move(data), priority});
}

void CDrawDataQueue::fFlush() {
    // Equal priorities may come out in any order; only the priority order is promised.
    std::sort(mEntries.begin(), mEntries.end(),
              [](const SDrawInfoForQueue& a, const SDrawInfoForQueue& b) { return a.priority < b.priority; });
    for (const SDrawInfoForQueue& e : mEntries) {
        e.data.fDrawAt(e.position);
    }
    mEntries.clear();
}
