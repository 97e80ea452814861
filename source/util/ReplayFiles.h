// The replay's files and the steps the stage takes at the start and end of a run. A replay is the run's
// inputs (one 112-byte frame record per frame) plus the seed of gRandom, packed into one ZIP archive.
// Paths are relative to the working directory.
#pragma once

#include <cstdint>
#include <string>

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

// Start of a normal run: gRandom = a CRandom with `seed`, and gKeyManager (a CKeyManager) records every
// frame to "dat/replay/replay_key.tmp", truncating it.
void fStartRecordedRun(std::int32_t seed);

// Start of a playback of the packed replay at `packedReplayPath`: unpacks it, reads the seed ("Seed = %d"),
// puts a playing CKeyPlayer in gKeyManager and a CRandom with the seed in gRandom. A damaged or hostile
// replay is a CException and leaves gKeyManager and gRandom as they were.
void fStartPlayback(const std::string& packedReplayPath);

// End (or Esc) of a playback: gKeyManager becomes a fresh CKeyManager.
void fEndPlayback();

// Esc during a normal run: the recording is ended and nothing is stored.
void fAbandonRecordedRun();

// End of a normal run: ends the recording; when score beats bestScore, stores the replay (seed file, high
// score record with sent false, the frame records moved to "replay_key.dat", all packed into
// "dat/replay/replay", loose files removed) and answers true; otherwise removes the .tmp file.
bool fEndRecordedRun(std::int32_t score, std::int32_t bestScore);

// Start-up: removes the placeholder files that keep the replay folders present in a fresh installation.
void fRemoveReplayPlaceholders();
// Shutdown: removes the loose files unpacking left; the packed replay stays.
void fRemoveLooseReplayFiles();
