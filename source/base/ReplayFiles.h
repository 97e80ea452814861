// The replay's files. A replay is the run's inputs (one 112-byte frame record per frame) plus the seed of
// gRandom, packed into one ZIP archive. The names are relative to the player's folder (fUserPath), and the
// two loose files' names are also their member names inside the archive.
#pragma once

#include <cstdint>
#include <string>

inline constexpr const char* kReplayFolder = "dat/replay/";
inline constexpr const char* kReplayKeyTmpPath = "dat/replay/replay_key.tmp";
inline constexpr const char* kReplayKeyPath = "dat/replay/replay_key.dat";
inline constexpr const char* kReplaySeedPath = "dat/replay/replay.dat";
inline constexpr const char* kPackedReplayPath = "dat/replay/replay";
inline constexpr const char* kDownloadedReplayFolder = "downloaded_replay/";

// The seed file: one archive int. Writing prints "Seed = %d".
void fWriteSeedFile(const std::string& path, std::int32_t seed);
// A missing file, or one that is not exactly one int, is a CException.
std::int32_t fReadSeedFile(const std::string& path);

// A run's seed from the UTC time in milliseconds since 1970: its millisecond part (0 to 999).
std::int32_t fRunSeedFromTime(std::int64_t utcMilliseconds);
// The same from the clock, for the start of a run.
std::int32_t fMakeRunSeed();

// Removes a file if it is there; a file that is not there, or cannot be removed, is no failure.
void fRemoveIfPresent(const std::string& path);

// Start-up: removes the placeholder files that keep the replay folders present in a fresh installation.
void fRemoveReplayPlaceholders();
// Shutdown: removes the loose files unpacking left; the packed replay stays.
void fRemoveLooseReplayFiles();
