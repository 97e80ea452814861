// Checks the installed sound files under dat/sound/: every sound the game plays by number is there, the
// WAV files are plain PCM with a sane format, the MP3 files look like MP3s, and the stage music is long
// enough to loop without feeling repetitive.

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const std::array<const char*, 15> kSoundEffects = {
    "se017-0006.wav", "get_50.wav",  "bom10.wav",   "tm2_laser001.wav", "crash25.wav",
    "power32.wav",    "mecha20.wav", "ok1a.mp3",    "ok1b.mp3",         "cursor00_a.wav",
    "shoot16_b.wav",  "quiz1.wav",   "hit76_d.wav", "power31.wav",      "up.mp3",
};
const char* const kMusic = "free0636.mp3";

std::filesystem::path soundPath(const std::string& name) {
    return std::filesystem::path(TAVONI_SOURCE_DIR) / "dat" / "sound" / name;
}

std::vector<std::uint8_t> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::uint32_t le16(const std::vector<std::uint8_t>& d, std::size_t at) {
    return static_cast<std::uint32_t>(d[at]) | static_cast<std::uint32_t>(d[at + 1]) << 8;
}

std::uint32_t le32(const std::vector<std::uint8_t>& d, std::size_t at) {
    return le16(d, at) | le16(d, at + 2) << 16;
}

bool tagIs(const std::vector<std::uint8_t>& d, std::size_t at, const char* tag) {
    for (std::size_t i = 0; i < 4; ++i) {
        if (at + i >= d.size() || d[at + i] != static_cast<std::uint8_t>(tag[i])) {
            return false;
        }
    }
    return true;
}

struct WavInfo {
    bool ok = false;
    std::string error;
    std::uint32_t channels = 0;
    std::uint32_t rate = 0;
    std::uint32_t bits = 0;
    std::uint32_t dataBytes = 0;
};

// Walks the RIFF chunks: "fmt " must describe PCM, "data" must hold whole frames.
WavInfo parseWav(const std::vector<std::uint8_t>& d) {
    WavInfo info;
    if (d.size() < 12 || !tagIs(d, 0, "RIFF") || !tagIs(d, 8, "WAVE")) {
        info.error = "not a RIFF/WAVE file";
        return info;
    }
    if (le32(d, 4) + 8 > d.size()) {
        info.error = "RIFF size beyond the end of the file";
        return info;
    }
    bool haveFormat = false;
    bool haveData = false;
    std::uint32_t blockAlign = 0;
    std::size_t at = 12;
    while (at + 8 <= d.size()) {
        const std::uint32_t size = le32(d, at + 4);
        const std::size_t body = at + 8;
        if (body + size > d.size()) {
            info.error = "chunk runs past the end of the file";
            return info;
        }
        if (tagIs(d, at, "fmt ")) {
            if (size < 16) {
                info.error = "format chunk too short";
                return info;
            }
            if (le16(d, body) != 1) {
                info.error = "not PCM";
                return info;
            }
            info.channels = le16(d, body + 2);
            info.rate = le32(d, body + 4);
            blockAlign = le16(d, body + 12);
            info.bits = le16(d, body + 14);
            if (le32(d, body + 8) != info.rate * blockAlign) {
                info.error = "byte rate does not match";
                return info;
            }
            haveFormat = true;
        } else if (tagIs(d, at, "data")) {
            info.dataBytes = size;
            haveData = true;
        }
        at = body + size + (size & 1U);
    }
    if (!haveFormat || !haveData) {
        info.error = "missing format or data chunk";
        return info;
    }
    if (info.channels < 1 || info.channels > 2 || (info.bits != 8 && info.bits != 16) || info.rate < 8000 ||
        info.rate > 48000 || blockAlign != info.channels * info.bits / 8) {
        info.error = "unusual format";
        return info;
    }
    if (info.dataBytes == 0 || info.dataBytes % blockAlign != 0) {
        info.error = "empty or ragged data";
        return info;
    }
    info.ok = true;
    return info;
}

// Size of an ID3v2 tag at the start of the file (0 when there is none).
std::size_t id3Size(const std::vector<std::uint8_t>& d) {
    if (d.size() < 10 || d[0] != 'I' || d[1] != 'D' || d[2] != '3') {
        return 0;
    }
    const std::size_t size =
        (static_cast<std::size_t>(d[6] & 0x7F) << 21) | (static_cast<std::size_t>(d[7] & 0x7F) << 14) |
        (static_cast<std::size_t>(d[8] & 0x7F) << 7) | static_cast<std::size_t>(d[9] & 0x7F);
    const bool footer = (d[5] & 0x10) != 0;
    return 10 + size + (footer ? 10 : 0);
}

struct Mp3Info {
    std::size_t frames = 0;
    std::uint32_t rate = 0;
    std::size_t samplesPerFrame = 0;
    double seconds() const { return rate == 0 ? 0.0 : static_cast<double>(frames * samplesPerFrame) / rate; }
};

// Follows the chain of MPEG audio frames (layer III), frame by frame from the first sync.
Mp3Info scanMp3(const std::vector<std::uint8_t>& d) {
    static const int kBitrates[2][15] = {
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}, // MPEG-1
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},     // MPEG-2 and 2.5
    };
    static const std::uint32_t kRates[3] = {44100, 48000, 32000};
    Mp3Info info;
    std::size_t at = id3Size(d);
    while (at + 4 <= d.size()) {
        if (d[at] != 0xFF || (d[at + 1] & 0xE0) != 0xE0) {
            break;
        }
        const int version = (d[at + 1] >> 3) & 3; // 0: 2.5, 2: 2, 3: 1
        const int layer = (d[at + 1] >> 1) & 3;   // 1: layer III
        const int bitrateIndex = d[at + 2] >> 4;
        const int rateIndex = (d[at + 2] >> 2) & 3;
        const int padding = (d[at + 2] >> 1) & 1;
        if (version == 1 || layer != 1 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) {
            break;
        }
        const bool mpeg1 = version == 3;
        std::uint32_t rate = kRates[rateIndex];
        if (version == 2) {
            rate /= 2;
        } else if (version == 0) {
            rate /= 4;
        }
        const std::size_t perFrame = mpeg1 ? 1152 : 576;
        const std::size_t bitrate = static_cast<std::size_t>(kBitrates[mpeg1 ? 0 : 1][bitrateIndex]) * 1000;
        const std::size_t length = perFrame / 8 * bitrate / rate + static_cast<std::size_t>(padding);
        if (info.frames > 0 && (rate != info.rate || perFrame != info.samplesPerFrame)) {
            break;
        }
        info.rate = rate;
        info.samplesPerFrame = perFrame;
        ++info.frames;
        at += length;
    }
    return info;
}

TEST(SoundData, EveryTableFileIsInstalled) {
    for (const char* name : kSoundEffects) {
        EXPECT_TRUE(std::filesystem::is_regular_file(soundPath(name))) << name;
    }
    EXPECT_TRUE(std::filesystem::is_regular_file(soundPath(kMusic))) << kMusic;
}

TEST(SoundData, WavFilesAreWellFormedPcm) {
    int checked = 0;
    for (const char* name : kSoundEffects) {
        if (!endsWith(name, ".wav")) {
            continue;
        }
        const WavInfo info = parseWav(readFile(soundPath(name)));
        EXPECT_TRUE(info.ok) << name << ": " << info.error;
        ++checked;
    }
    EXPECT_EQ(checked, 12);
}

TEST(SoundData, Mp3FilesStartWithATagOrAFrame) {
    std::vector<std::string> names = {kMusic};
    for (const char* name : kSoundEffects) {
        if (endsWith(name, ".mp3")) {
            names.emplace_back(name);
        }
    }
    ASSERT_EQ(names.size(), 4U);
    for (const std::string& name : names) {
        const std::vector<std::uint8_t> d = readFile(soundPath(name));
        ASSERT_GE(d.size(), 4U) << name;
        const bool id3 = d[0] == 'I' && d[1] == 'D' && d[2] == '3';
        const bool sync = d[0] == 0xFF && (d[1] & 0xE0) == 0xE0;
        EXPECT_TRUE(id3 || sync) << name;
        EXPECT_GT(scanMp3(d).frames, 0U) << name;
    }
}

TEST(SoundData, MusicLastsAtLeastAMinute) {
    const std::vector<std::uint8_t> d = readFile(soundPath(kMusic));
    const Mp3Info info = scanMp3(d);
    ASSERT_GT(info.frames, 0U);
    EXPECT_GE(info.seconds(), 60.0) << info.frames << " frames at " << info.rate << " Hz";
}

TEST(SoundData, WavParserRejectsBrokenFiles) {
    std::vector<std::uint8_t> d = readFile(soundPath("get_50.wav"));
    ASSERT_TRUE(parseWav(d).ok);
    std::vector<std::uint8_t> truncated(d.begin(), d.begin() + 20);
    EXPECT_FALSE(parseWav(truncated).ok);
    std::vector<std::uint8_t> notPcm = d;
    notPcm[20] = 3; // the format tag of the first chunk, which is "fmt " in these files
    ASSERT_TRUE(tagIs(notPcm, 12, "fmt "));
    EXPECT_FALSE(parseWav(notPcm).ok);
}

} // namespace
