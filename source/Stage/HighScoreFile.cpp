#include "Stage/HighScoreFile.h"

#include "base/serialization/RecordFile.h"

using serialization::ClassRegister;
using serialization::Serializer;
using serialization::Tracking;

void fRegisterHighScoreInfo() {
    if (!ClassRegister::isRegistered(CHighScoreInfo::kClassTag)) {
        ClassRegister::registerClass<CHighScoreInfo>(CHighScoreInfo::kClassTag,
                                                     [] { return std::make_shared<CHighScoreInfo>(); });
    }
}

namespace {
// The one reading of the record, whether its bytes come from a file or from elsewhere.
serialization::RecordDescriber highScoreReader(std::shared_ptr<CHighScoreInfo>& loaded) {
    return [&loaded](Serializer& s) { s.describe(loaded, Tracking::On); };
}

// The record is written as the one tracked reference the reader expects.
serialization::RecordDescriber highScoreWriter(std::shared_ptr<CHighScoreInfo>& record) {
    return [&record](Serializer& s) { s.describe(record, Tracking::On); };
}
} // namespace

CHighScoreInfo fLoadHighScore(const std::string& path) {
    std::shared_ptr<CHighScoreInfo> loaded;
    const bool ok = serialization::fLoadRecordOrSetAside(path, highScoreReader(loaded));
    return ok ? *loaded : CHighScoreInfo();
}

CHighScoreInfo fReadHighScore(std::span<const std::byte> bytes, const std::string& name) {
    std::shared_ptr<CHighScoreInfo> loaded;
    serialization::fLoadRecordFromBytes(bytes, name, highScoreReader(loaded));
    return *loaded;
}

void fSaveHighScore(const CHighScoreInfo& highScore, const std::string& path) {
    auto record = std::make_shared<CHighScoreInfo>(highScore);
    serialization::fSaveRecord(path, highScoreWriter(record));
}

std::vector<std::byte> fHighScoreBytes(const CHighScoreInfo& highScore) {
    auto record = std::make_shared<CHighScoreInfo>(highScore);
    return serialization::fSaveRecordToBytes(highScoreWriter(record));
}
