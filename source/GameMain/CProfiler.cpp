#include "GameMain/CProfiler.h"

#include "base/Check.h"

#include <dx/DxLib.h>
#include <sstream>

std::unique_ptr<CProfiler> gProfiler;

void CProfiler::fMeasureStart(const std::string& InType) {
    if (!enabled_) {
        return;
    }
    CCheckPoint& point = checkPoints_[InType];
    point.startTime = dx_GetNowCount();
    ++point.callCount;
}

void CProfiler::fMeasureEnd(const std::string& InType) {
    if (!enabled_) {
        return;
    }
    const auto found = checkPoints_.find(InType);
    TAVONI_CHECK(found != checkPoints_.end(), "GameMain/CProfiler", "fMeasureEnd InType not found");
    found->second.totalTime += dx_GetNowCount() - found->second.startTime;
}

std::string CProfiler::fGetResult() const {
    std::ostringstream out;
    for (const auto& [name, point] : checkPoints_) {
        const double average = point.callCount == 0 ? 0.0
                                                    : static_cast<double>(point.totalTime) /
                                                          static_cast<double>(point.callCount);
        out << name << ": call(" << point.callCount << ") total(" << point.totalTime << ") average("
            << average << ")";
    }
    return out.str();
}
