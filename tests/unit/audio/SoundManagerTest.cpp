#include "NullMediaFixture.h"
#include "audio/CSoundManager.h"

#include <algorithm>
#include <cmath>
#include <dx/DxLib.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

// The sound manager runs from the game folder, so dat/sound/ is there.
class SoundManagerTest : public NullMediaFixture {};

TEST_F(SoundManagerTest, DisabledSoundNeverTouchesTheLibrary) {
    CSoundManager sound(false);
    sound.fPlaySe(SE_GET);
    sound.fPlayBgm(BGM_STAGE);
    sound.fStopAll();
    sound.fStopBgm(BGM_STAGE);
    sound.fReleaseAllBgm();
    sound.fStopAllSe();
    EXPECT_TRUE(dx_GetCallLog().empty());
    // The frequency change still reaches the library, with the empty handle 0, and does nothing.
    sound.fSetFrequency(SE_EAT, 22050);
    EXPECT_EQ(dx_GetCallLog(), (std::vector<std::string>{"SetFrequencySoundMem(22050,0)"}));
}

TEST_F(SoundManagerTest, EnabledLoadsEverySoundWithThreeBuffersAndSetsTheTableVolumes) {
    CSoundManager sound(true);
    EXPECT_EQ(count("LoadSoundMem(\"dat/sound/"), 16);
    EXPECT_EQ(count("LoadSoundMem(\"dat/sound/get_50.wav\",3,-1)"), 1);
    // Volumes of the table: 100, 10, 30, 10, 51 for effects 0, 2, 6, 9, 10 and 20 for the music.
    EXPECT_EQ(count("ChangeVolumeSoundMem("), 6);
    const std::string expected = "ChangeVolumeSoundMem(51," + std::to_string(sound.fGetSeHandle(10)) + ")";
    EXPECT_EQ(count(expected), 1);
    EXPECT_GT(sound.fGetBgmHandle(BGM_STAGE), 0);
}

TEST_F(SoundManagerTest, EffectsPlayOnceOrLoopedAndMusicRestartsFromTheTop) {
    CSoundManager sound(true);
    dx_ClearCallLog();
    const int hit = sound.fGetSeHandle(SE_HIT);
    sound.fPlaySe(SE_HIT, false);
    sound.fPlaySe(SE_HIT, true);
    EXPECT_EQ(dx_GetCallLog(), (std::vector<std::string>{"PlaySoundMem(" + std::to_string(hit) + ",1,1)",
                                                         "PlaySoundMem(" + std::to_string(hit) + ",3,1)"}));
    dx_ClearCallLog();
    const int music = sound.fGetBgmHandle(BGM_STAGE);
    sound.fPlayBgm(BGM_STAGE);
    EXPECT_EQ(dx_GetCallLog(), (std::vector<std::string>{"PlaySoundMem(" + std::to_string(music) + ",3,1)"}));
    // Stopped music is released and loaded again on the next play.
    sound.fStopBgm(BGM_STAGE);
    EXPECT_EQ(sound.fGetBgmHandle(BGM_STAGE), 0);
    dx_ClearCallLog();
    sound.fPlayBgm(BGM_STAGE);
    EXPECT_EQ(count("LoadSoundMem(\"dat/sound/free0636.mp3\",3,-1)"), 1);
    EXPECT_GT(sound.fGetBgmHandle(BGM_STAGE), 0);
}

TEST_F(SoundManagerTest, StopAllStopsEverySoundOfTheFolderButTheMusicWhenSilenced) {
    CSoundManager sound(true);
    dx_ClearCallLog();
    sound.fStopAll();
    EXPECT_EQ(count("StopSoundMem("), 16);
    dx_ClearCallLog();
    sound.fStopAllSe();
    EXPECT_EQ(count("StopSoundMem("), 15);
    // Silenced (a replay played again out of sight), nothing starts and the music is left playing.
    sound.fSetSilenced(true);
    dx_ClearCallLog();
    sound.fPlaySe(SE_HIT);
    sound.fPlayBgm(BGM_STAGE);
    sound.fPlayByName("get_50.wav", false);
    EXPECT_EQ(count("PlaySoundMem("), 0);
    sound.fStopAll();
    EXPECT_EQ(count("StopSoundMem("), 15);
    EXPECT_EQ(count("StopSoundMem(" + std::to_string(sound.fGetBgmHandle(BGM_STAGE)) + ")"), 0);
}

TEST_F(SoundManagerTest, ThePlayersLevelsScaleTheMixerLevelOfEffectsAndMusicApart) {
    CSoundManager sound(true);
    const int get = sound.fGetSeHandle(SE_GET);     // the library's full volume
    const int shoot = sound.fGetSeHandle(SE_SHOOT); // the table's 51
    const auto decibels = [](int handle) {
        return 20.0 * std::log10(dx_GetMixerVolumeSoundMem(handle) / 128.0);
    };
    const double getFull = decibels(get), shootFull = decibels(shoot);
    sound.fSetLevels(10, 5);
    EXPECT_NEAR(decibels(get) - getFull, -6.0, 0.1);
    EXPECT_NEAR(decibels(shoot) - shootFull, -6.0, 0.6); // the mixer's steps are coarse down there
    EXPECT_NEAR(decibels(sound.fGetBgmHandle(BGM_STAGE)), 20.0 * std::log10(dx_MixerVolume(20) / 128.0),
                1e-9);
    sound.fSetLevels(0, 0);
    EXPECT_EQ(dx_GetMixerVolumeSoundMem(sound.fGetBgmHandle(BGM_STAGE)), 0);
    EXPECT_EQ(dx_GetMixerVolumeSoundMem(get), 0);
    // Music loaded again after a stop takes the level too.
    sound.fSetLevels(3, 10);
    sound.fStopBgm(BGM_STAGE);
    sound.fPlayBgm(BGM_STAGE);
    EXPECT_EQ(dx_GetMixerVolumeSoundMem(sound.fGetBgmHandle(BGM_STAGE)), dx_MixerVolume(20, 30));
    EXPECT_NEAR(decibels(get), getFull, 1e-9);
}
