#include "replay/CKeyRecord.h"

#include "base/CArchiver.h"
#include "base/CException.h"
#include "base/Check.h"

#include <cstdint>
#include <fstream>

// Unpacking refuses key records of a shape this record would refuse, before it writes them.
static_assert(CArchiver::kKeyFrameBytes == CKeyRecord::kFrameBytes);
static_assert(CArchiver::kKeyTailBytes == CKeyRecord::kIgnoredTailBytes);

CKeyRecord CKeyRecord::fFromFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        throw CException("Cannot open the replay's key record '" + path + "'");
    }
    const std::streamoff size = in.tellg();
    // Checked before reading, so a huge file is never read into memory.
    if (size < 0 || static_cast<std::uint64_t>(size) > CArchiver::kMaxMemberSize) {
        throw CException("The replay's key record '" + path + "' is too large to be a replay");
    }
    std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!in) {
        throw CException("Cannot read the replay's key record '" + path + "'");
    }
    return fFromBytes(std::move(bytes), path);
}

CKeyRecord CKeyRecord::fFromBytes(std::vector<unsigned char> bytes, const std::string& name) {
    if (bytes.size() > CArchiver::kMaxMemberSize) {
        throw CException("The replay's key record '" + name + "' is too large to be a replay");
    }
    // A longer tail is a frame cut short, refused here rather than failing in the middle of the playback.
    if (bytes.size() % kFrameBytes > kIgnoredTailBytes) {
        throw CException("The replay's key record '" + name +
                         "' is damaged: " + std::to_string(bytes.size()) +
                         " bytes is not a whole number of " + std::to_string(kFrameBytes) + "-byte frames");
    }
    CKeyRecord record;
    record.bytes_ = std::move(bytes);
    return record;
}

std::array<bool, CKeyRecord::kKeyCount> CKeyRecord::fGetFrame(std::size_t frame) const {
    TAVONI_CHECK(frame < fGetFrameCount(), "replay/CKeyRecord", "frame past the end of the key record");
    std::array<bool, kKeyCount> keys{};
    const unsigned char* b = bytes_.data() + frame * kFrameBytes;
    for (std::size_t k = 0; k < kKeyCount; ++k, b += 4) {
        const std::uint32_t value =
            static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
            (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
        keys[k] = value != 0;
    }
    return keys;
}

void CKeyRecord::fClear() {
    bytes_.clear();
    bytes_.shrink_to_fit();
}
