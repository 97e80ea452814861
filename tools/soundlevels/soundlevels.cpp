// Plays one sound effect, or the music for a few seconds, at the volume the game gives it, so that the
// mixed output can be captured (SDL's "disk" audio driver) and its level measured. scripts/soundlevels
// runs it once per sound from the game folder and prints the table.
//   tavoni_soundlevels se N [LEVEL]        sound effect N until it has finished
//   tavoni_soundlevels bgm SECONDS [LEVEL] the music for SECONDS seconds
// LEVEL is the player's volume from the option menu, 0 to 10 (10 by default).
#include "audio/CSoundManager.h"

#include <dx/DxLib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if ((argc != 3 && argc != 4) || (std::strcmp(argv[1], "se") != 0 && std::strcmp(argv[1], "bgm") != 0)) {
        std::fprintf(stderr, "usage: %s se N [LEVEL] | bgm SECONDS [LEVEL]\n", argv[0]);
        return 2;
    }
    const int level = argc == 4 ? std::atoi(argv[3]) : 10;
    const int value = std::atoi(argv[2]);
    const bool music = std::strcmp(argv[1], "bgm") == 0;
    if (!music && (value < 0 || value >= SE_COUNT)) {
        std::fprintf(stderr, "no sound effect %d\n", value);
        return 2;
    }
    dx_SetBackend(DxBackend::Window); // the only backend that opens the audio device
    if (dx_DxLib_Init() != 0) {
        std::fprintf(stderr, "cannot start: %s\n", dx_GetLastError().c_str());
        return 1;
    }
    {
        CSoundManager sounds(true);
        sounds.fSetLevels(level, level);
        if (music) {
            sounds.fPlayBgm(BGM_STAGE);
            dx_Sleep(value * 1000);
        } else {
            sounds.fPlaySe(value);
            const int handle = sounds.fGetSeHandle(value);
            for (int waited = 0; dx_CheckSoundMem(handle) == 1 && waited < 20000; waited += 10) {
                dx_Sleep(10);
            }
        }
        sounds.fStopAll();
    }
    dx_DxLib_End();
    return 0;
}
