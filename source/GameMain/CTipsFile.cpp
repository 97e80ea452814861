#include "GameMain/CTipsFile.h"

#include "base/Check.h"
#include "base/serialization/RecordFile.h"

#include <filesystem>
#include <system_error>

namespace {
// The game writes 14 bytes. A file far longer holds no list of tips, and reading it flag by flag would
// take long and much memory for nothing.
constexpr std::size_t kLongestTipsFile = 64 * 1024;
} // namespace

std::vector<bool> fReadTipsFile(const std::string& path) {
    return fReadTipsBytes(serialization::fReadRecordFile(path), path);
}

std::vector<bool> fReadTipsBytes(std::span<const std::byte> bytes, const std::string& name) {
    std::vector<bool> flags;
    // An empty file is a valid empty list, though a strict read would call it cut short.
    if (bytes.empty()) {
        return flags;
    }
    if (bytes.size() > kLongestTipsFile) {
        throw CException("Damaged file '" + name + "': " + std::to_string(bytes.size()) +
                         " bytes are far more than a list of tips");
    }
    serialization::fLoadRecordFromBytes(bytes, name,
                                        [&flags](serialization::Serializer& s) { s.describe(flags); });
    return flags;
}

void fWriteTipsFile(const std::string& path, const std::vector<bool>& flags) {
    std::vector<bool> copy = flags;
    serialization::fSaveRecord(path, [&copy](serialization::Serializer& s) { s.describe(copy); });
}

std::vector<bool> fLoadTipsFlags(const std::string& path, int count) {
    TAVONI_CHECK(count >= 0, "GameMain", "negative tip count");
    std::vector<bool> flags(static_cast<std::size_t>(count), false);
    std::error_code error;
    const bool present = std::filesystem::exists(path, error);
    if (error) {
        serialization::fKeepUnreadableFile("Cannot look for file '" + path + "': " + error.message());
        return flags;
    }
    if (!present) {
        return flags;
    }
    std::vector<bool> stored;
    try {
        stored = fReadTipsFile(path);
    } catch (const serialization::UnreadableFile& failure) {
        serialization::fKeepUnreadableFile(failure.what());
        return flags;
    } catch (const CException& failure) {
        serialization::fSetAsideDamagedFile(path, failure.what());
        return flags;
    }
    for (std::size_t i = 0; i < flags.size() && i < stored.size(); ++i) {
        flags[i] = stored[i];
    }
    return flags;
}
