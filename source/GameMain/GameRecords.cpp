#include "GameMain/GameRecords.h"

#include "GameMain/COptionInfo.h"
#include "base/Check.h"
#include "base/serialization/RecordFile.h"

using serialization::Serializer;
using serialization::Tracking;

void fRegisterOptionInfo() {
    serialization::fRegisterRecordClass<COptionInfo>();
}

namespace {
// The one reading of each record, whether its bytes come from a file or from elsewhere.
serialization::RecordDescriber settingReader(std::shared_ptr<COptionInfo>& loaded) {
    return [&loaded](Serializer& s) {
        s.describe(loaded, Tracking::On);
        // The key manager reads entries up to 10; a record of another length is not ours.
        if (loaded->buttons.size() != static_cast<std::size_t>(COptionInfo::kButtonCount)) {
            throw CException("the settings hold " + std::to_string(loaded->buttons.size()) +
                             " buttons instead of " + std::to_string(COptionInfo::kButtonCount));
        }
    };
}
} // namespace

void fLoadSetting(const std::string& path) {
    fRegisterOptionInfo();
    std::shared_ptr<COptionInfo> loaded;
    const bool ok = serialization::fLoadRecordOrSetAside(path, settingReader(loaded));
    gOptionInfo = ok ? std::make_unique<COptionInfo>(*loaded) : std::make_unique<COptionInfo>();
}

COptionInfo fReadSetting(std::span<const std::byte> bytes, const std::string& name) {
    fRegisterOptionInfo();
    std::shared_ptr<COptionInfo> loaded;
    serialization::fLoadRecordFromBytes(bytes, name, settingReader(loaded));
    return *loaded;
}

void fSaveSetting(const std::string& path) {
    TAVONI_CHECK(gOptionInfo != nullptr, "GameMain", "settings saved before they were loaded");
    auto record = std::make_shared<COptionInfo>(*gOptionInfo);
    serialization::fSaveRecord(path, serialization::fTrackedRecord(record));
}

std::vector<std::byte> fSettingBytes(const COptionInfo& setting) {
    auto record = std::make_shared<COptionInfo>(setting);
    return serialization::fSaveRecordToBytes(serialization::fTrackedRecord(record));
}
