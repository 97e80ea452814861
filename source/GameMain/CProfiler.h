// Named timing sections, switched on and off at run time (F12 in the stage). Reports call counts and
// milliseconds per name.
#pragma once

#include <map>
#include <memory>
#include <string>

class CProfiler {
public:
    class CCheckPoint {
    public:
        int callCount = 0;
        int startTime = 0;
        int totalTime = 0;
    };

    CProfiler() = default;
    virtual ~CProfiler() = default;

    virtual void fToggle() { enabled_ = !enabled_; }
    virtual void fMeasureStart(const std::string& InType);
    // Ending a name never started while enabled is a programming error.
    virtual void fMeasureEnd(const std::string& InType);
    // "name: call(n) total(ms) average(ms)" per name in name order, joined with nothing between.
    virtual std::string fGetResult() const;

    bool fIsEnabled() const { return enabled_; }

private:
    std::map<std::string, CCheckPoint> checkPoints_;
    bool enabled_ = false;
};

extern std::unique_ptr<CProfiler> gProfiler;
