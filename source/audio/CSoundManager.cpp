#include "audio/CSoundManager.h"
#include "base/GameFolders.h"

#include "base/Check.h"

#include <dx/DxLib.h>

#include <algorithm>

std::unique_ptr<CSoundManager> gSoundManager;

namespace {
struct SSoundEntry {
    const char* file;
    int volume; // -1 keeps the library's default
};

constexpr std::array<SSoundEntry, SE_COUNT> kSeTable{{
    {"se017-0006.wav", 100},
    {"get_50.wav", -1},
    {"bom10.wav", 10},
    {"tm2_laser001.wav", -1},
    {"crash25.wav", -1},
    {"power32.wav", -1},
    {"mecha20.wav", 30},
    {"ok1a.mp3", -1},
    {"ok1b.mp3", -1},
    {"cursor00_a.wav", 10},
    {"shoot16_b.wav", 51},
    {"quiz1.wav", -1},
    {"hit76_d.wav", -1},
    {"power31.wav", -1},
    {"up.mp3", -1},
}};

constexpr std::array<SSoundEntry, BGM_COUNT> kBgmTable{{
    {"free0636.mp3", 20},
}};

const char* const kSoundRoot = "dat/sound/";
} // namespace

CSoundManager::CSoundManager(bool enabled) : mCollector(fDataPath(kSoundRoot)), mEnabled(enabled) {
    if (!mEnabled) {
        return;
    }
    dx_SetCreateSoundDataType(2);
    mCollector.fAddExtension("wav");
    mCollector.fAddExtension("mp3");
    mCollector.fSetLoader([](const std::string& path) {
        return std::pair<std::string, int>(path, dx_LoadSoundMem(path.c_str(), 3, -1));
    });
    mCollector.fCollect();
    fSetupTable();
}

void CSoundManager::fPlayByName(const std::string& name, bool loop) {
    if (!mEnabled || mSilenced) {
        return;
    }
    dx_PlaySoundMem(mCollector.fGet(name), loop ? 3 : 1, 1);
}

void CSoundManager::fStopAll() {
    if (!mEnabled) {
        return;
    }
    if (mSilenced) {
        fStopAllSe();
        return;
    }
    for (const auto& [name, handle] : mCollector.fGetMap()) {
        dx_StopSoundMem(handle);
    }
}

void CSoundManager::fSetupTable() {
    if (!mEnabled) {
        return;
    }
    for (size_t i = 0; i < kSeTable.size(); ++i) {
        mSeHandles[i] = mCollector.fGet(kSeTable[i].file);
        if (kSeTable[i].volume >= 0) {
            dx_ChangeVolumeSoundMem(kSeTable[i].volume, mSeHandles[i]);
        }
    }
    for (size_t i = 0; i < kBgmTable.size(); ++i) {
        mBgmNames[i] = kBgmTable[i].file;
        mBgmHandles[i] = mCollector.fGet(kBgmTable[i].file);
        if (kBgmTable[i].volume >= 0) {
            dx_ChangeVolumeSoundMem(kBgmTable[i].volume, mBgmHandles[i]);
        }
    }
}

void CSoundManager::fSetLevels(int music, int effects) {
    mMusicLevel = std::clamp(music, 0, kMaxLevel);
    mEffectsLevel = std::clamp(effects, 0, kMaxLevel);
    fApplyLevels();
}

void CSoundManager::fApplyLevels() {
    if (!mEnabled) {
        return;
    }
    // Everything in the folder is an effect but the music.
    for (const auto& [name, handle] : mCollector.fGetMap()) {
        const bool music = std::find(mBgmNames.begin(), mBgmNames.end(), name) != mBgmNames.end();
        dx_SetVolumeGainSoundMem((music ? mMusicLevel : mEffectsLevel) * 100 / kMaxLevel, handle);
    }
    for (int handle : mBgmHandles) {
        if (handle > 0) {
            dx_SetVolumeGainSoundMem(mMusicLevel * 100 / kMaxLevel, handle);
        }
    }
}

void CSoundManager::fSetFrequency(int soundEffect, int hertz) {
    TAVONI_CHECK(soundEffect >= 0 && soundEffect < SE_COUNT, "util.CSoundManager",
                 "sound effect out of range");
    // Disabled: the table is empty, so the library gets the empty handle 0 and does nothing.
    dx_SetFrequencySoundMem(hertz, mSeHandles[static_cast<size_t>(soundEffect)]);
}

void CSoundManager::fPlaySe(int soundEffect, bool loop) {
    if (!mEnabled || mSilenced) {
        return;
    }
    TAVONI_CHECK(soundEffect >= 0 && soundEffect < SE_COUNT, "util.CSoundManager",
                 "sound effect out of range");
    dx_PlaySoundMem(mSeHandles[static_cast<size_t>(soundEffect)], loop ? 3 : 1, 1);
}

void CSoundManager::fPlayBgm(int music) {
    if (!mEnabled || mSilenced) {
        return;
    }
    TAVONI_CHECK(music >= 0 && music < BGM_COUNT, "util.CSoundManager", "music out of range");
    int& handle = mBgmHandles[static_cast<size_t>(music)];
    if (handle <= 0) {
        handle =
            dx_LoadSoundMem((fDataPath(kSoundRoot) + mBgmNames[static_cast<size_t>(music)]).c_str(), 3, -1);
        // A new handle starts at full volume: without the table's own the music would come back some
        // 15 dB louder from the second run on.
        if (kBgmTable[static_cast<size_t>(music)].volume >= 0) {
            dx_ChangeVolumeSoundMem(kBgmTable[static_cast<size_t>(music)].volume, handle);
        }
        dx_SetVolumeGainSoundMem(mMusicLevel * 100 / kMaxLevel, handle);
    }
    dx_PlaySoundMem(handle, 3, 1);
}

void CSoundManager::fStopBgm(int music) {
    if (!mEnabled) {
        return;
    }
    TAVONI_CHECK(music >= 0 && music < BGM_COUNT, "util.CSoundManager", "music out of range");
    int& handle = mBgmHandles[static_cast<size_t>(music)];
    dx_StopSoundMem(handle);
    dx_DeleteSoundMem(handle, 0);
    handle = 0;
}

void CSoundManager::fReleaseAllBgm() {
    if (!mEnabled) {
        return;
    }
    for (int& handle : mBgmHandles) {
        if (handle > 0) {
            dx_StopSoundMem(handle);
            dx_DeleteSoundMem(handle, 0);
            handle = 0;
        }
    }
}

void CSoundManager::fStopAllSe() {
    if (!mEnabled) {
        return;
    }
    for (int handle : mSeHandles) {
        if (handle > 0) {
            dx_StopSoundMem(handle);
        }
    }
}

int CSoundManager::fGetSeHandle(int soundEffect) const {
    TAVONI_CHECK(soundEffect >= 0 && soundEffect < SE_COUNT, "util.CSoundManager",
                 "sound effect out of range");
    return mSeHandles[static_cast<size_t>(soundEffect)];
}

int CSoundManager::fGetBgmHandle(int music) const {
    TAVONI_CHECK(music >= 0 && music < BGM_COUNT, "util.CSoundManager", "music out of range");
    return mBgmHandles[static_cast<size_t>(music)];
}
