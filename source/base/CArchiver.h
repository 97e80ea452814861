// Packs files into a ZIP archive (members deflated, named by the paths given) and unpacks replays.
#pragma once

#include "base/ReplayFormat.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

class CArchiver {
public:
    // Largest member fExtract accepts once expanded.
    static constexpr std::uint64_t kMaxMemberSize = 64ull * 1024 * 1024;
    // The key record is whole frames of 28 little-endian 32-bit key states, and at most a few bytes that
    // the key player never reads; the seed member is one serialized int.
    static constexpr std::uint64_t kKeyFrameBytes = kReplayFrameBytes;
    static constexpr std::uint64_t kKeyTailBytes = kReplayTailBytes;
    static constexpr std::uint64_t kSeedMemberBytes = kReplaySeedBytes;
    // Largest replay archive file read: both members at their largest, stored, with room for the headers.
    static constexpr std::uint64_t kMaxArchiveSize = 2 * kMaxMemberSize + 64 * 1024;

    // Members in the order of `files`, each named by its name as written and deflated (method 8), read
    // from `folder` + name (a folder ending in "/", or "" for the working directory). The archive replaces
    // any file of that name; the sources are deleted only once the archive is written.
    static void fCompress(const std::string& archiveName, const std::vector<std::string>& files,
                          bool deleteSources, const std::string& folder = "");

    // Unpacks a replay archive, which may come from another player: it must hold exactly the two replay
    // members ("dat/replay/replay_key.dat", "dat/replay/replay.dat"), each at most kMaxMemberSize expanded,
    // the key record whole frames plus at most kKeyTailBytes, the seed exactly kSeedMemberBytes. Anything
    // else is refused with a CException before a single file is written. Members are written to `folder`
    // + their names (a folder ending in "/", or "" for the working directory), replacing existing files.
    static void fExtract(const std::string& archiveName, const std::string& folder = "");
    // The same checks as fExtract, and nothing written: whether a file from elsewhere (a download, an
    // upload) is a replay the game will play.
    static void fCheckReplay(const std::string& archiveName);

    // The same two for an archive already in memory; `name` stands for the file name in messages. The
    // file versions read the file (at most kMaxArchiveSize bytes) and hand its bytes to these.
    static void fExtractBytes(std::span<const std::byte> archive, const std::string& name,
                              const std::string& folder = "");
    static void fCheckReplayBytes(std::span<const std::byte> archive, const std::string& name);
    // The checks that need no member expanded: the archive opens, and holds the two members, named and
    // sized (as its listing says) as a replay's must be. Memory stays that of the archive, whatever its
    // members would expand to.
    static void fCheckReplayListing(std::span<const std::byte> archive, const std::string& name);
};
