// Fixed-capacity pools of stage objects: everything is created with the stage and recycled, so nothing is
// allocated during play. The order of the active list is part of the game's deterministic behaviour
// (update, collision and drawing follow it), so fGetNew and fCollectDead keep their exact orders.
#pragma once

#include "base/Check.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

template <typename T> class objectPool {
public:
    objectPool() = default;
    virtual ~objectPool() = default;
    objectPool(const objectPool&) = delete;
    objectPool& operator=(const objectPool&) = delete;

    // Creates the n objects and the spare with `make`.
    void fFill(size_t n, const std::function<std::unique_ptr<T>()>& make) {
        fSetCapacity(n);
        for (size_t i = 0; i < n; ++i) {
            mStorage.push_back(make());
            mFree.push_back(mStorage.back().get());
        }
        mSpare = make();
    }

    virtual void fSetCapacity(size_t n) {
        mFree.clear();
        mFree.reserve(n);
        mActive.clear();
        mActive.reserve(n);
        mStorage.reserve(n);
    }
    virtual size_t fGetTotal() const { return mFree.size() + mActive.size(); }

    virtual void fCollectDead() {
        size_t i = 0;
        size_t j = mActive.size();
        for (;;) {
            while (i < j && mActive[i]->fIsAlive()) {
                ++i;
            }
            if (i == j) {
                break;
            }
            // mActive[i] is dead: pull the last live object from the back into its place.
            bool done = false;
            for (;;) {
                --j;
                if (i == j) {
                    done = true;
                    break;
                }
                if (mActive[j]->fIsAlive()) {
                    std::swap(mActive[i], mActive[j]);
                    ++i;
                    done = i == j;
                    break;
                }
            }
            if (done) {
                break;
            }
        }
        for (size_t k = i; k < mActive.size(); ++k) {
            mFree.push_back(mActive[k]);
        }
        mActive.resize(i);
    }

    virtual int fForEach(const std::function<int(T&)>& visitor) {
        for (size_t i = 0; i < mActive.size(); ++i) {
            const int r = visitor(*mActive[i]);
            if (r != 0) {
                return r;
            }
        }
        return 0;
    }

    virtual T& fGetSpareSlot() { return *mSpare; }
    virtual std::vector<T*>& fGetActive() { return mActive; }
    const std::vector<T*>& fGetActive() const { return mActive; }
    virtual std::vector<T*>& fGetFree() { return mFree; }

    virtual T& fGetNew() {
        if (mFree.empty()) {
            std::printf("GetNew Max Over!\n");
            return *mSpare;
        }
        T* t = mFree.back();
        mFree.pop_back();
        mActive.push_back(t);
        return *t;
    }

    virtual void fReleaseAll() {
        for (T* t : mActive) {
            mFree.push_back(t);
        }
        mActive.clear();
        for (T* t : mFree) {
            t->fSetAlive(false);
        }
    }

    virtual void fDestroy() {
        fReleaseAll();
        mFree.clear();
        mStorage.clear();
        mSpare.reset();
    }

private:
    std::vector<T*> mActive;
    std::vector<T*> mFree;
    std::vector<std::unique_ptr<T>> mStorage;
    std::unique_ptr<T> mSpare;
};
