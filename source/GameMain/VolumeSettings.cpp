#include "GameMain/VolumeSettings.h"

#include "base/CException.h"
#include "base/serialization/RecordFile.h"
#include "base/serialization/Serializer.h"

#include <cstdint>

namespace {
void fDescribe(serialization::Serializer& s, SVolumeSettings& settings) {
    std::int32_t music = settings.music, effects = settings.effects;
    s.describe(music);
    s.describe(effects);
    for (const std::int32_t level : {music, effects}) {
        if (level < 0 || level > SVolumeSettings::kMaxLevel) {
            throw CException("a volume of " + std::to_string(level) + " is not from 0 to " +
                             std::to_string(SVolumeSettings::kMaxLevel));
        }
    }
    settings.music = music;
    settings.effects = effects;
}
} // namespace

std::optional<SVolumeSettings> fLoadVolumeSettings(const std::string& path) {
    SVolumeSettings settings;
    if (!serialization::fLoadRecordOrSetAside(
            path, [&settings](serialization::Serializer& s) { fDescribe(s, settings); })) {
        return std::nullopt;
    }
    return settings;
}

void fSaveVolumeSettings(const std::string& path, const SVolumeSettings& settings) {
    SVolumeSettings copy = settings;
    serialization::fSaveRecord(path, [&copy](serialization::Serializer& s) { fDescribe(s, copy); });
}
