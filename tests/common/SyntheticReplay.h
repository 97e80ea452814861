// Packed replays made on the spot for tests that need many different ones: `frames` frames with no key
// down and a seed. The extractor accepts them; what they score is whatever an idle run scores.
#pragma once

#include "base/CArchiver.h"
#include "replay/ReplayFiles.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

inline std::string fMakeSyntheticReplay(const std::filesystem::path& workFolder, int frames, int seed) {
    namespace fs = std::filesystem;
    const fs::path before = fs::current_path();
    fs::create_directories(workFolder / "dat" / "replay");
    fs::current_path(workFolder);
    {
        std::ofstream keys(kReplayKeyPath, std::ios::binary | std::ios::trunc);
        const std::string frame(112, '\0');
        for (int i = 0; i < frames; ++i) {
            keys << frame;
        }
    }
    fWriteSeedFile(kReplaySeedPath, seed);
    CArchiver::fCompress("synthetic.replay", {kReplayKeyPath, kReplaySeedPath}, true);
    std::ifstream in("synthetic.replay", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    fs::remove("synthetic.replay");
    fs::current_path(before);
    return bytes;
}

// An executable shell script standing in for the game when a test checks the server, not the game.
inline std::filesystem::path fWriteFakeGame(const std::filesystem::path& file, const std::string& body) {
    // It tells its version as the game does, which the server records with each entry it checks.
    std::ofstream(file, std::ios::trunc)
        << "#!/bin/sh\n"
        << "[ \"$1\" = --version ] && { echo 'tavoni 0.0.0-stand-in'; exit 0; }\n"
        << body << "\n";
    std::filesystem::permissions(file, std::filesystem::perms::owner_all);
    return file;
}
