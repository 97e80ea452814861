// A replay's key record ("dat/replay/replay_key.dat"): for each frame, the 28 game keys as little-endian
// 32-bit states (non-zero is down). At most kIgnoredTailBytes may follow the last whole frame; they are
// never read.
#pragma once

#include "base/ReplayFormat.h"
#include "input/Enums.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

class CKeyRecord {
public:
    static constexpr std::size_t kKeyCount = static_cast<std::size_t>(kGameKeyCount);
    static constexpr std::size_t kFrameBytes = kReplayFrameBytes;
    static constexpr std::size_t kIgnoredTailBytes = kReplayTailBytes;
    static_assert(kReplayKeysPerFrame == kKeyCount, "a frame record holds every game key");

    CKeyRecord() = default;
    // The file's bytes, read whole and judged by fFromBytes; a file that cannot be read is a CException.
    static CKeyRecord fFromFile(const std::string& path);
    // More than CArchiver::kMaxMemberSize bytes, or a tail after the last frame longer than
    // kIgnoredTailBytes (a frame cut short), is a CException naming `name`.
    static CKeyRecord fFromBytes(std::vector<unsigned char> bytes, const std::string& name);

    std::size_t fGetFrameCount() const { return bytes_.size() / kFrameBytes; }
    // The keys down in `frame`, which must be below fGetFrameCount().
    std::array<bool, kKeyCount> fGetFrame(std::size_t frame) const;
    // Gives the bytes back; no frames are left.
    void fClear();

private:
    std::vector<unsigned char> bytes_;
};
