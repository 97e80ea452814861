// The kills of one attack. Every bullet of the attack and every enemy it hurt share the same counter, so
// the second, third ... kill of one slash or volley scores more than the first.
#pragma once

class CKillCountManager {
public:
    static constexpr int kMaxMultiplier = 8;

    // Counts one more kill and answers the score multiplier it earns: 1 for the first kill, then the number
    // of the kill, at most 8.
    int fCountKill() {
        ++mCount;
        if (mCount <= 1) {
            return 1;
        }
        return mCount < kMaxMultiplier ? mCount : kMaxMultiplier;
    }
    int fGetCount() const { return mCount; }

private:
    int mCount = 0;
};
