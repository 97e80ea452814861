// Sound handles over SDL_mixer: overlapping buffers, looping, volume and playback frequency.
#include "DxState.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace dxi {

namespace {

Sound* sound(int handle) {
    State& s = st();
    if (handle <= 0 || handle >= static_cast<int>(s.sounds.size()) || !s.sounds[std::size_t(handle)].used) {
        return nullptr;
    }
    return &s.sounds[std::size_t(handle)];
}

Mix_Chunk* playable(Sound& snd) {
    return snd.resampled ? snd.resampled : snd.chunk;
}

bool channelPlays(const Sound& snd, int channel) {
    return channel >= 0 && Mix_Playing(channel) &&
           (Mix_GetChunk(channel) == snd.chunk || (snd.resampled && Mix_GetChunk(channel) == snd.resampled));
}

void stopAll(Sound& snd) {
    for (int& ch : snd.channels) {
        if (channelPlays(snd, ch)) {
            Mix_HaltChannel(ch);
        }
        ch = -1;
    }
}

void freeSound(Sound& snd) {
    if (st().audioUp) {
        stopAll(snd);
    }
    if (snd.resampled) {
        Mix_FreeChunk(snd.resampled);
    }
    if (snd.chunk) {
        Mix_FreeChunk(snd.chunk);
    }
    snd = Sound{};
}

// The sample rate a WAV file was recorded at, from its "fmt " chunk; 0 for other files or damaged ones.
int wavSampleRate(const char* path) {
    std::FILE* f = std::fopen(path, "rb");
    if (!f) {
        return 0;
    }
    unsigned char head[12];
    int rate = 0;
    if (std::fread(head, 1, 12, f) == 12 && std::equal(head, head + 4, "RIFF") &&
        std::equal(head + 8, head + 12, "WAVE")) {
        unsigned char chunk[8];
        while (std::fread(chunk, 1, 8, f) == 8) {
            const unsigned long size =
                chunk[4] | (chunk[5] << 8) | (chunk[6] << 16) | (static_cast<unsigned long>(chunk[7]) << 24);
            if (std::equal(chunk, chunk + 4, "fmt ")) {
                unsigned char fmt[8];
                if (size >= 8 && std::fread(fmt, 1, 8, f) == 8) {
                    rate = int(fmt[4] | (fmt[5] << 8) | (fmt[6] << 16) | (fmt[7] << 24));
                }
                break;
            }
            if (size > 0x7fffffffUL || std::fseek(f, long(size + (size & 1)), SEEK_CUR) != 0) {
                break;
            }
        }
    }
    std::fclose(f);
    return rate > 0 && rate <= 384000 ? rate : 0;
}

bool fileExists(const char* path) {
    std::FILE* f = std::fopen(path, "rb");
    if (!f) {
        return false;
    }
    std::fclose(f);
    return true;
}

} // namespace

void destroyAllSounds() {
    for (Sound& snd : st().sounds) {
        if (snd.used) {
            freeSound(snd);
        }
    }
    st().sounds.clear();
}

} // namespace dxi

using namespace dxi;

int dx_SetCreateSoundDataType(int) {
    return 0;
} // the mixer decides how samples are kept

int dx_LoadSoundMem(const char* path, int bufferNum, int unionHandle) {
    if (logging()) {
        logCall("LoadSoundMem(\"%s\",%d,%d)", path ? path : "", bufferNum, unionHandle);
    }
    State& s = st();
    if (!path || !fileExists(path)) {
        setError(std::string("cannot load sound \"") + (path ? path : "") + "\": no such file");
        return -1;
    }
    Sound snd;
    snd.used = true;
    snd.path = path;
    snd.channels.assign(std::size_t(std::clamp(bufferNum, 1, 16)), -1);
    if (s.audioUp) {
        snd.chunk = Mix_LoadWAV(path);
        snd.sourceRate = wavSampleRate(path);
        if (!snd.chunk) {
            setError(std::string("cannot load sound \"") + path + "\": " + Mix_GetError());
            return -1;
        }
    }
    if (s.sounds.empty()) {
        s.sounds.emplace_back(); // handle 0 is never a sound
    }
    for (std::size_t i = 1; i < s.sounds.size(); ++i) {
        if (!s.sounds[i].used) {
            s.sounds[i] = std::move(snd);
            return static_cast<int>(i);
        }
    }
    s.sounds.push_back(std::move(snd));
    return static_cast<int>(s.sounds.size() - 1);
}

int dx_PlaySoundMem(int handle, int playType, int topPositionFlag) {
    if (logging()) {
        logCall("PlaySoundMem(%d,%d,%d)", handle, playType, topPositionFlag);
    }
    Sound* snd = sound(handle);
    if (!snd) {
        return -1;
    }
    if (!st().audioUp || !snd->chunk) {
        return 0;
    }
    if (playType == DX_PLAYTYPE_LOOP) {
        // A loop (music) never overlaps itself: playing it again restarts it from the beginning.
        stopAll(*snd);
    }
    // A free buffer if there is one, otherwise the one started longest ago.
    std::size_t slot = snd->channels.size();
    for (std::size_t i = 0; i < snd->channels.size(); ++i) {
        if (!channelPlays(*snd, snd->channels[i])) {
            slot = i;
            break;
        }
    }
    if (slot == snd->channels.size()) {
        slot = std::size_t(snd->next);
        Mix_HaltChannel(snd->channels[slot]);
    }
    const int loops = playType == DX_PLAYTYPE_LOOP ? -1 : 0;
    int ch = Mix_PlayChannel(-1, playable(*snd), loops);
    snd->channels[slot] = ch;
    if (ch >= 0) {
        Mix_Volume(ch, dx_MixerVolume(snd->volume, snd->gainPercent));
    }
    // The oldest is the one after the newest, in a ring.
    snd->next = int((slot + 1) % snd->channels.size());
    return ch >= 0 ? 0 : -1;
}

int dx_StopSoundMem(int handle) {
    if (logging()) {
        logCall("StopSoundMem(%d)", handle);
    }
    Sound* snd = sound(handle);
    if (!snd) {
        return -1;
    }
    if (st().audioUp) {
        stopAll(*snd);
    }
    return 0;
}

int dx_CheckSoundMem(int handle) {
    Sound* snd = sound(handle);
    if (!snd) {
        return -1;
    }
    if (!st().audioUp) {
        return 0;
    }
    for (int ch : snd->channels) {
        if (channelPlays(*snd, ch)) {
            return 1;
        }
    }
    return 0;
}

// Volumes follow the ear rather than the amplitude: 255 is full level (0 dB) and every halving of the value
// takes 4 dB off, down to about -32 dB at 1; 0 is silent. A straight amplitude scale would lose 6 dB per
// halving and make the quiet sounds (10 to 50) all but inaudible. Examples: 128 -4 dB, 51 -9.3 dB,
// 20 -14.7 dB, 10 -18.7 dB.
int dx_MixerVolume(int volume, int gainPercent) {
    if (volume <= 0 || gainPercent <= 0) {
        return 0;
    }
    constexpr double kDbPerHalving = 4.0;
    const double db = kDbPerHalving * std::log2(std::min(volume, 255) / 255.0);
    const double gain = std::min(gainPercent, 100) / 100.0;
    const int level = static_cast<int>(std::lround(MIX_MAX_VOLUME * std::pow(10.0, db / 20.0) * gain));
    return std::clamp(level, 1, MIX_MAX_VOLUME);
}

namespace {
// What is playing takes a new volume or gain at once.
void applyVolume(dxi::Sound& snd) {
    if (!st().audioUp) {
        return;
    }
    for (int ch : snd.channels) {
        if (channelPlays(snd, ch)) {
            Mix_Volume(ch, dx_MixerVolume(snd.volume, snd.gainPercent));
        }
    }
}
} // namespace

int dx_ChangeVolumeSoundMem(int volume, int handle) {
    if (logging()) {
        logCall("ChangeVolumeSoundMem(%d,%d)", volume, handle);
    }
    Sound* snd = sound(handle);
    if (!snd) {
        return -1;
    }
    snd->volume = std::clamp(volume, 0, 255);
    applyVolume(*snd);
    return 0;
}

int dx_SetVolumeGainSoundMem(int gainPercent, int handle) {
    if (logging()) {
        logCall("SetVolumeGainSoundMem(%d,%d)", gainPercent, handle);
    }
    Sound* snd = sound(handle);
    if (!snd) {
        return -1;
    }
    snd->gainPercent = std::clamp(gainPercent, 0, 100);
    applyVolume(*snd);
    return 0;
}

int dx_GetMixerVolumeSoundMem(int handle) {
    const Sound* snd = sound(handle);
    return snd ? dx_MixerVolume(snd->volume, snd->gainPercent) : -1;
}

int dx_SetFrequencySoundMem(int hertz, int handle) {
    if (logging()) {
        logCall("SetFrequencySoundMem(%d,%d)", hertz, handle);
    }
    Sound* snd = sound(handle);
    if (!snd) {
        return -1;
    }
    if (hertz == snd->frequency) {
        return 0;
    }
    snd->frequency = hertz;
    if (!st().audioUp || !snd->chunk) {
        return 0;
    }
    stopAll(*snd);
    if (snd->resampled) {
        Mix_FreeChunk(snd->resampled);
        snd->resampled = nullptr;
        snd->resampledData.clear();
    }
    int deviceRate = 0, channels = 0;
    Uint16 format = 0;
    Mix_QuerySpec(&deviceRate, &format, &channels);
    // The chunk already holds the file's samples converted to the device rate. Playing the file at `hertz`
    // instead of its own rate speeds it up by hertz / own rate: read the chunk as if recorded at
    // deviceRate * hertz / own rate and convert that back to the device rate.
    const int ownRate = snd->sourceRate > 0 ? snd->sourceRate : deviceRate;
    const long long readRate = static_cast<long long>(deviceRate) * hertz / ownRate;
    if (hertz <= 0 || readRate == deviceRate || readRate <= 0 || readRate > 0x7fffffff) {
        return 0;
    }
    SDL_AudioCVT cvt;
    if (SDL_BuildAudioCVT(&cvt, format, Uint8(channels), int(readRate), format, Uint8(channels), deviceRate) <
        0) {
        setError(std::string("cannot resample sound: ") + SDL_GetError());
        return -1;
    }
    cvt.len = int(snd->chunk->alen);
    snd->resampledData.assign(std::size_t(cvt.len) * std::size_t(std::max(cvt.len_mult, 1)), 0);
    std::copy(snd->chunk->abuf, snd->chunk->abuf + snd->chunk->alen, snd->resampledData.begin());
    cvt.buf = snd->resampledData.data();
    if (cvt.needed && SDL_ConvertAudio(&cvt) < 0) {
        setError(std::string("cannot resample sound: ") + SDL_GetError());
        snd->resampledData.clear();
        return -1;
    }
    const int frame = channels * int(SDL_AUDIO_BITSIZE(format) / 8);
    Uint32 length = Uint32(cvt.needed ? cvt.len_cvt : cvt.len);
    length -= length % Uint32(frame);
    snd->resampled = Mix_QuickLoad_RAW(snd->resampledData.data(), length);
    return snd->resampled ? 0 : -1;
}

int dx_DeleteSoundMem(int handle, int) {
    if (logging()) {
        logCall("DeleteSoundMem(%d)", handle);
    }
    Sound* snd = sound(handle);
    if (!snd) {
        return -1;
    }
    freeSound(*snd);
    return 0;
}
