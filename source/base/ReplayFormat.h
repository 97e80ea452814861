// A replay's format, shared by the game, its ranking client and the ranking server: the run's inputs (one
// frame record per frame) plus the seed of gRandom, packed into one ZIP archive whose two members are named
// as the loose files they unpack to. The names are relative to the player's folder (fUserPath).
#pragma once

#include <cstddef>

inline constexpr const char* kReplayFolder = "dat/replay/";
inline constexpr const char* kReplayKeyTmpPath = "dat/replay/replay_key.tmp";
inline constexpr const char* kReplayKeyPath = "dat/replay/replay_key.dat";
inline constexpr const char* kReplaySeedPath = "dat/replay/replay.dat";
inline constexpr const char* kPackedReplayPath = "dat/replay/replay";
inline constexpr const char* kDownloadedReplayFolder = "downloaded_replay/";

// A frame record: the 28 game keys as little-endian 32-bit states (non-zero is down).
inline constexpr std::size_t kReplayKeysPerFrame = 28;
inline constexpr std::size_t kReplayFrameBytes = 4 * kReplayKeysPerFrame;
// At most this many bytes may follow the last whole frame; they are never read.
inline constexpr std::size_t kReplayTailBytes = 10;
// The seed member: one serialized int.
inline constexpr std::size_t kReplaySeedBytes = 4;
