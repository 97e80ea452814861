#include "GameMain/WindowSettings.h"

#include "base/CException.h"
#include "base/serialization/RecordFile.h"
#include "base/serialization/Serializer.h"

#include <cstdint>

namespace {
void fDescribe(serialization::Serializer& s, SWindowSettings& settings) {
    std::int32_t w = settings.width, h = settings.height;
    s.describe(w);
    s.describe(h);
    s.describe(settings.fullScreen);
    const auto inRange = [](std::int32_t side) {
        return side >= SWindowSettings::kMinSide && side <= SWindowSettings::kMaxSide;
    };
    if (!inRange(w) || !inRange(h)) {
        throw CException("the remembered window of " + std::to_string(w) + "x" + std::to_string(h) +
                         " is no window size");
    }
    settings.width = w;
    settings.height = h;
}
} // namespace

std::optional<SWindowSettings> fLoadWindowSettings(const std::string& path) {
    SWindowSettings settings;
    if (!serialization::fLoadRecordOrSetAside(
            path, [&settings](serialization::Serializer& s) { fDescribe(s, settings); })) {
        return std::nullopt;
    }
    return settings;
}

void fSaveWindowSettings(const std::string& path, const SWindowSettings& settings) {
    SWindowSettings copy = settings;
    serialization::fSaveRecord(path, [&copy](serialization::Serializer& s) { fDescribe(s, copy); });
}
