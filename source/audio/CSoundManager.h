// Every sound under "dat/sound/" is loaded once at start-up; the game plays its fifteen effects and its
// music by number. With sound disabled nothing is loaded and every operation returns at once.
#pragma once

#include "base/CResourceCollector.h"

#include <array>
#include <memory>
#include <string>

// Index into the sound effect table (file names and volumes in CSoundManager.cpp).
// Named by how they sound; the comments say who plays them.
enum ESoundEffect : int {
    SE_CHIME = 0,
    SE_GET = 1, // an ingredient is picked up
    SE_BOMB = 2,
    SE_LASER = 3,
    SE_CRASH = 4,
    SE_POWER_UP = 5,
    SE_MACHINE = 6,
    SE_OK_A = 7,
    SE_OK_B = 8,
    SE_CURSOR = 9,
    SE_SHOOT = 10,
    SE_EAT = 11,       // the fed character eats; resampled for combos
    SE_HIT = 12,       // an enemy is hit
    SE_LOAD_FULL = 13, // the party now carries what the wished dish needs
    SE_RANK_UP = 14,   // the rank goes up
    SE_COUNT = 15,
};

enum EBgm : int {
    BGM_STAGE = 0,
    BGM_COUNT = 1,
};

class CSoundManager {
public:
    explicit CSoundManager(bool enabled);
    virtual ~CSoundManager() = default;

    virtual void fPlayByName(const std::string& name, bool loop);
    virtual void fStopAll();
    virtual void fSetupTable();
    virtual void fSetFrequency(int soundEffect, int hertz);
    virtual void fPlaySe(int soundEffect, bool loop = false);
    virtual void fPlayBgm(int music);
    virtual void fStopBgm(int music);
    virtual void fReleaseAllBgm();
    virtual void fStopAllSe();

    // The player's volumes, each 0 (silent) to 10 (the table's own volumes), as a straight amplitude scale: 5
    // is 6 dB under 10. They reach what is playing at once and every sound after. Out-of-range levels are
    // clamped.
    void fSetLevels(int music, int effects);
    int fGetMusicLevel() const { return mMusicLevel; }
    int fGetEffectsLevel() const { return mEffectsLevel; }

    // Silenced: nothing starts playing and stopping everything stops the effects only, so the music plays
    // on. A replay played again out of sight to reach a moment is silenced.
    void fSetSilenced(bool silenced) { mSilenced = silenced; }
    bool fIsSilenced() const { return mSilenced; }

    bool fIsEnabled() const { return mEnabled; }
    int fGetSeHandle(int soundEffect) const;
    int fGetBgmHandle(int music) const;

private:
    CResourceCollector mCollector;
    std::array<int, SE_COUNT> mSeHandles{};
    std::array<std::string, BGM_COUNT> mBgmNames;
    std::array<int, BGM_COUNT> mBgmHandles{};
    bool mEnabled;
    bool mSilenced = false;
    int mMusicLevel = kMaxLevel;
    int mEffectsLevel = kMaxLevel;
    static constexpr int kMaxLevel = 10;

    void fApplyLevels();
};

extern std::unique_ptr<CSoundManager> gSoundManager;
