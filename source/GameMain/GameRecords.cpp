#include "GameMain/GameRecords.h"

#include "base/Check.h"
#include "base/serialization/RecordFile.h"
#include "util/COptionInfo.h"

using serialization::ClassRegister;
using serialization::Serializer;
using serialization::Tracking;

void fRegisterOptionInfo() {
    if (!ClassRegister::isRegistered(COptionInfo::kClassTag)) {
        ClassRegister::registerClass<COptionInfo>(COptionInfo::kClassTag,
                                                  [] { return std::make_shared<COptionInfo>(); });
    }
}

void fRegisterHighScoreInfo() {
    if (!ClassRegister::isRegistered(CHighScoreInfo::kClassTag)) {
        ClassRegister::registerClass<CHighScoreInfo>(CHighScoreInfo::kClassTag,
                                                     [] { return std::make_shared<CHighScoreInfo>(); });
    }
}

void fLoadSetting(const std::string& path) {
    fRegisterOptionInfo();
    std::shared_ptr<COptionInfo> loaded;
    const bool ok = serialization::fLoadRecordOrSetAside(path, [&loaded](Serializer& s) {
        s.describe(loaded, Tracking::On);
        // The key manager reads entries up to 10; a record of another length is not ours.
        if (loaded->buttons.size() != static_cast<std::size_t>(COptionInfo::kButtonCount)) {
            throw CException("the settings hold " + std::to_string(loaded->buttons.size()) +
                             " buttons instead of " + std::to_string(COptionInfo::kButtonCount));
        }
    });
    gOptionInfo = ok ? std::make_unique<COptionInfo>(*loaded) : std::make_unique<COptionInfo>();
}

void fSaveSetting(const std::string& path) {
    TAVONI_CHECK(gOptionInfo != nullptr, "GameMain", "settings saved before they were loaded");
    auto record = std::make_shared<COptionInfo>(*gOptionInfo);
    serialization::fSaveRecord(path, [&record](Serializer& s) { s.describe(record, Tracking::On); });
}

CHighScoreInfo fLoadHighScore(const std::string& path) {
    std::shared_ptr<CHighScoreInfo> loaded;
    const bool ok = serialization::fLoadRecordOrSetAside(
        path, [&loaded](Serializer& s) { s.describe(loaded, Tracking::On); });
    return ok ? *loaded : CHighScoreInfo();
}

void fSaveHighScore(const CHighScoreInfo& highScore, const std::string& path) {
    auto record = std::make_shared<CHighScoreInfo>(highScore);
    serialization::fSaveRecord(path, [&record](Serializer& s) { s.describe(record, Tracking::On); });
}
