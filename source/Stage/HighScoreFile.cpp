#include "Stage/HighScoreFile.h"

#include "base/serialization/RecordFile.h"

void fRegisterHighScoreInfo() {
    serialization::fRegisterRecordClass<CHighScoreInfo>();
}

CHighScoreInfo fLoadHighScore(const std::string& path) {
    std::shared_ptr<CHighScoreInfo> loaded;
    const bool ok = serialization::fLoadRecordOrSetAside(path, serialization::fTrackedRecord(loaded));
    return ok ? *loaded : CHighScoreInfo();
}

CHighScoreInfo fReadHighScore(std::span<const std::byte> bytes, const std::string& name) {
    std::shared_ptr<CHighScoreInfo> loaded;
    serialization::fLoadRecordFromBytes(bytes, name, serialization::fTrackedRecord(loaded));
    return *loaded;
}

void fSaveHighScore(const CHighScoreInfo& highScore, const std::string& path) {
    auto record = std::make_shared<CHighScoreInfo>(highScore);
    serialization::fSaveRecord(path, serialization::fTrackedRecord(record));
}

std::vector<std::byte> fHighScoreBytes(const CHighScoreInfo& highScore) {
    auto record = std::make_shared<CHighScoreInfo>(highScore);
    return serialization::fSaveRecordToBytes(serialization::fTrackedRecord(record));
}
