// The replay's loose files in the player's folder: the seed file, the run's seed and the clean-up of what
// unpacking and installing leave behind. Names and sizes are in base/ReplayFormat.h.
#pragma once

#include "base/ReplayFormat.h"
#include "replay/CKeyRecord.h"

#include <cstdint>
#include <memory>
#include <string>

// A packed replay read into memory: its key record and its seed. Without keys: none read.
struct SReplayInput {
    std::shared_ptr<const CKeyRecord> keys;
    std::int32_t seed = 0;
};
// Unpacks a packed replay into the player's folder, as every playback does, and reads both loose files. A
// file that is not a replay is a CException, with nothing unpacked.
SReplayInput fLoadReplayInput(const std::string& packedPath);

// The seed file: one archive int. Writing prints "Seed = %d".
void fWriteSeedFile(const std::string& path, std::int32_t seed);
// A missing file, or one that is not exactly one int, is a CException.
std::int32_t fReadSeedFile(const std::string& path);

// A run's seed from the UTC time in milliseconds since 1970: its millisecond part (0 to 999).
std::int32_t fRunSeedFromTime(std::int64_t utcMilliseconds);
// The same from the clock, for the start of a run.
std::int32_t fMakeRunSeed();

// Start-up: removes the placeholder files that keep the replay folders present in a fresh installation.
void fRemoveReplayPlaceholders();
// Start-up: removes the recording a run cut off by a crash or a power loss left, saying so in the log.
void fRemoveCutOffRecording();
// Shutdown: removes the loose files unpacking left; the packed replay stays.
void fRemoveLooseReplayFiles();
