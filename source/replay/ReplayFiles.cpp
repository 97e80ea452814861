#include "replay/ReplayFiles.h"
#include "base/GameFolders.h"

#include "base/Log.h"
#include "base/CArchiver.h"
#include "base/serialization/RecordFile.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>

void fWriteSeedFile(const std::string& path, std::int32_t seed) {
    std::printf("Seed = %d\n", seed);
    std::fflush(stdout);
    serialization::fSaveRecord(path, [seed](serialization::Serializer& s) {
        std::int32_t value = seed;
        s.describe(value);
    });
}

std::int32_t fReadSeedFile(const std::string& path) {
    std::int32_t seed = 0;
    serialization::fLoadRecord(path, [&seed](serialization::Serializer& s) { s.describe(seed); });
    return seed;
}

std::int32_t fRunSeedFromTime(std::int64_t utcMilliseconds) {
    const std::int64_t part = utcMilliseconds % 1000;
    return static_cast<std::int32_t>(part < 0 ? part + 1000 : part);
}

std::int32_t fMakeRunSeed() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return fRunSeedFromTime(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void fRemoveReplayPlaceholders() {
    fRemoveIfPresent(fUserPath(kReplayFolder) + "dummy");
    fRemoveIfPresent(fUserPath(kDownloadedReplayFolder) + "dummy");
}

void fRemoveCutOffRecording() {
    const std::string tmp = fUserPath(kReplayKeyTmpPath);
    std::error_code error;
    if (std::filesystem::exists(tmp, error)) {
        fRemoveIfPresent(tmp);
        fLogWarning("removed " + tmp + ", the recording of a run that was cut off");
    }
}

void fRemoveLooseReplayFiles() {
    fRemoveIfPresent(fUserPath(kReplaySeedPath));
    fRemoveIfPresent(fUserPath(kReplayKeyPath));
}

SReplayInput fLoadReplayInput(const std::string& packedPath) {
    CArchiver::fExtract(packedPath, fUserPath(""));
    SReplayInput input;
    input.keys = std::make_shared<const CKeyRecord>(CKeyRecord::fFromFile(fUserPath(kReplayKeyPath)));
    input.seed = fReadSeedFile(fUserPath(kReplaySeedPath));
    std::printf("Seed = %d\n", input.seed);
    std::fflush(stdout);
    return input;
}
