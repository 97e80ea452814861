// Every image the game loads by name must be installed under dat/image/ with the size the drawing code
// expects. The sizes are read straight from each PNG's IHDR chunk.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <utility>

namespace {

struct ImageEntry {
    const char* name;
    int width;
    int height;
};

// Width and height of a PNG, or nothing when the file is missing or not a PNG.
std::optional<std::pair<int, int>> readPngSize(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::array<unsigned char, 24> head{};
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    if (in.gcount() != static_cast<std::streamsize>(head.size())) {
        return std::nullopt;
    }
    static constexpr std::array<unsigned char, 8> kSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (std::size_t i = 0; i < kSignature.size(); ++i) {
        if (head[i] != kSignature[i]) {
            return std::nullopt;
        }
    }
    if (head[12] != 'I' || head[13] != 'H' || head[14] != 'D' || head[15] != 'R') {
        return std::nullopt;
    }
    auto be32 = [&head](std::size_t at) {
        return static_cast<std::uint32_t>(head[at]) << 24 | static_cast<std::uint32_t>(head[at + 1]) << 16 |
               static_cast<std::uint32_t>(head[at + 2]) << 8 | static_cast<std::uint32_t>(head[at + 3]);
    };
    return std::make_pair(static_cast<int>(be32(16)), static_cast<int>(be32(20)));
}

std::string imagePath(const std::string& name) {
    return std::string(TAVONI_SOURCE_DIR) + "/dat/image/" + name;
}

// clang-format off
const ImageEntry kImages[] = {
    {"Explosion01.png", 32, 32},
    {"Explosion02.png", 32, 32},
    {"Explosion03.png", 32, 32},
    {"Explosion04.png", 32, 32},
    {"Explosion05.png", 32, 32},
    {"Explosion06.png", 32, 32},
    {"Explosion07.png", 32, 32},
    {"Explosion08.png", 32, 32},
    {"Explosion09.png", 32, 32},
    {"Explosion10.png", 32, 32},
    {"Explosion11.png", 32, 32},
    {"Explosion12.png", 32, 32},
    {"Explosion13.png", 32, 32},
    {"Explosion14.png", 32, 32},
    {"Explosion15.png", 32, 32},
    {"Explosion16.png", 32, 32},
    {"effect2_green.png", 32, 32},
    {"effect2_light_blue.png", 32, 32},
    {"effect2_purple.png", 32, 32},
    {"effect2_red.png", 32, 32},
    {"effect2_white.png", 32, 32},
    {"effect2_yellow.png", 32, 32},
    {"effect_rankup.png", 128, 48},
    {"embarrassed_effect1.png", 32, 32},
    {"embarrassed_effect2.png", 32, 32},
    {"enemy/komedawara1.png", 32, 32},
    {"enemy/komedawara2.png", 32, 32},
    {"enemy/komugi1.png", 32, 32},
    {"enemy/komugi2.png", 32, 32},
    {"enemy/niwatori1.png", 32, 32},
    {"enemy/niwatori2.png", 32, 32},
    {"enemy/niwatori_fly1.png", 32, 32},
    {"enemy/niwatori_fly2.png", 32, 32},
    {"enemy/pig1.png", 32, 32},
    {"enemy/pig2.png", 32, 32},
    {"enemy/seawood_can1.png", 32, 32},
    {"enemy/seawood_can2.png", 32, 32},
    {"enemy/seep1.png", 32, 32},
    {"enemy/seep2.png", 32, 32},
    {"foods/bread.png", 32, 32},
    {"foods/cha_hang.png", 32, 32},
    {"foods/egg_sand.png", 32, 32},
    {"foods/eho_roll.png", 32, 32},
    {"foods/genghis_khan.png", 32, 32},
    {"foods/hotdog.png", 32, 32},
    {"foods/katudon.png", 32, 32},
    {"foods/onigiri.png", 32, 32},
    {"foods/spair_lib.png", 32, 32},
    {"foods/tamagoyaki.png", 32, 32},
    {"item/egg.png", 32, 32},
    {"item/flour.png", 32, 32},
    {"item/mutton.png", 32, 32},
    {"item/pork.png", 32, 32},
    {"item/rice.png", 32, 32},
    {"item/seawood.png", 32, 32},
    {"magic_effect_blue.png", 96, 96},
    {"middle_shot_green.png", 16, 16},
    {"mini_rice.png", 16, 16},
    {"mini_seawood.png", 16, 16},
    {"mini_sushi.png", 16, 16},
    {"rice_ball.png", 16, 16},
    {"seep_shot.png", 48, 32},
    {"shadow.png", 24, 24},
    {"shot_hit01.png", 16, 16},
    {"shot_hit02.png", 16, 16},
    {"shot_hit03.png", 16, 16},
    {"shot_hit04.png", 16, 16},
    {"shot_hit05.png", 16, 16},
    {"shot_hit06.png", 16, 16},
    {"shot_hit07.png", 16, 16},
    {"shot_hit08.png", 16, 16},
    {"title.png", 640, 480},
    {"ui_parts/area_edge1.png", 32, 32},
    {"ui_parts/area_edge2.png", 32, 32},
    {"ui_parts/area_edge3.png", 32, 32},
    {"ui_parts/cursor_down.png", 16, 16},
    {"ui_parts/cursor_left.png", 16, 16},
    {"ui_parts/cursor_right.png", 16, 16},
    {"ui_parts/food_bg.png", 40, 40},
    {"ui_parts/fukidasi1.png", 64, 64},
    {"ui_parts/fukidasi2.png", 64, 64},
    {"ui_parts/fukidasi3.png", 64, 64},
    {"ui_parts/ingredient.png", 104, 36},
    {"ui_parts/ingredient_en.png", 104, 36},
    {"ui_parts/life.png", 24, 24},
    {"ui_parts/life_bg.png", 24, 24},
    {"ui_parts/life_small.png", 24, 24},
    {"ui_parts/maru.png", 64, 64},
    {"ui_parts/next.png", 64, 28},
    {"ui_parts/result_bg.png", 500, 380},
    {"ui_parts/sleep_icon.png", 32, 32},
    {"ui_parts/time_0.png", 24, 32},
    {"ui_parts/time_0_yellow.png", 24, 32},
    {"ui_parts/time_1.png", 24, 32},
    {"ui_parts/time_1_yellow.png", 24, 32},
    {"ui_parts/time_2.png", 24, 32},
    {"ui_parts/time_2_yellow.png", 24, 32},
    {"ui_parts/time_3.png", 24, 32},
    {"ui_parts/time_3_yellow.png", 24, 32},
    {"ui_parts/time_4.png", 24, 32},
    {"ui_parts/time_4_yellow.png", 24, 32},
    {"ui_parts/time_5.png", 24, 32},
    {"ui_parts/time_5_yellow.png", 24, 32},
    {"ui_parts/time_6.png", 24, 32},
    {"ui_parts/time_6_yellow.png", 24, 32},
    {"ui_parts/time_7.png", 24, 32},
    {"ui_parts/time_7_yellow.png", 24, 32},
    {"ui_parts/time_8.png", 24, 32},
    {"ui_parts/time_8_yellow.png", 24, 32},
    {"ui_parts/time_9.png", 24, 32},
    {"ui_parts/time_9_yellow.png", 24, 32},
    {"ui_parts/time_coron.png", 24, 32},
    {"ui_parts/time_minus.png", 24, 32},
    {"ui_parts/time_minus_yellow.png", 24, 32},
    {"ui_parts/time_plus.png", 24, 32},
    {"ui_parts/time_plus_yellow.png", 24, 32},
    {"ui_parts/window3_bg.png", 60, 60},
    {"ui_parts/window3_waku.png", 60, 60},
    {"ui_parts/x2.png", 16, 16},
    {"ui_parts/x3.png", 16, 16},
    {"ui_parts/x4.png", 16, 16},
    {"ui_parts/x5.png", 16, 16},
    {"ui_parts/x6.png", 16, 16},
    {"ui_parts/x7.png", 16, 16},
    {"ui_parts/x8.png", 16, 16},
    {"ui_parts/yazirusi.png", 48, 44},
    {"ziki/fireball_effect.png", 32, 32},
    {"ziki/firewall1.png", 32, 64},
    {"ziki/firewall2.png", 32, 64},
    {"ziki/slash_effect1.png", 32, 32},
    {"ziki/slash_effect2.png", 32, 32},
    {"ziki/slash_effect3.png", 32, 32},
    {"ziki/v8-pelka.png", 72, 256},
    {"ziki/v8-tosca.png", 72, 256},
    {"ziki/v8-varno.png", 72, 256},
};
// clang-format on

} // namespace

TEST(ImageData, EveryImageExistsWithItsSize) {
    for (const ImageEntry& entry : kImages) {
        SCOPED_TRACE(entry.name);
        const auto size = readPngSize(imagePath(entry.name));
        ASSERT_TRUE(size.has_value()) << "missing or not a PNG: dat/image/" << entry.name;
        EXPECT_EQ(size->first, entry.width);
        EXPECT_EQ(size->second, entry.height);
    }
}

TEST(ImageData, PartySheetsHoldEightRowsOfThreeFrames) {
    for (const char* name : {"ziki/v8-pelka.png", "ziki/v8-tosca.png", "ziki/v8-varno.png"}) {
        SCOPED_TRACE(name);
        const auto size = readPngSize(imagePath(name));
        ASSERT_TRUE(size.has_value());
        EXPECT_EQ(size->first, 3 * 24);
        EXPECT_EQ(size->second, 8 * 32);
    }
}

TEST(ImageData, NumberedSequencesAreComplete) {
    for (int i = 1; i <= 16; ++i) {
        const std::string name = (i < 10 ? "Explosion0" : "Explosion") + std::to_string(i) + ".png";
        EXPECT_TRUE(readPngSize(imagePath(name)).has_value()) << name;
    }
    for (int i = 1; i <= 8; ++i) {
        const std::string name = "shot_hit0" + std::to_string(i) + ".png";
        EXPECT_TRUE(readPngSize(imagePath(name)).has_value()) << name;
    }
    for (int m = 2; m <= 8; ++m) {
        const std::string name = "ui_parts/x" + std::to_string(m) + ".png";
        EXPECT_TRUE(readPngSize(imagePath(name)).has_value()) << name;
    }
    for (const char* colour : {"_yellow", "_light_blue", "_red", "_green", "_purple", "_white"}) {
        const std::string name = std::string("effect2") + colour + ".png";
        EXPECT_TRUE(readPngSize(imagePath(name)).has_value()) << name;
    }
    for (int d = 0; d <= 9; ++d) {
        const std::string white = "ui_parts/time_" + std::to_string(d) + ".png";
        const std::string yellow = "ui_parts/time_" + std::to_string(d) + "_yellow.png";
        EXPECT_TRUE(readPngSize(imagePath(white)).has_value()) << white;
        EXPECT_TRUE(readPngSize(imagePath(yellow)).has_value()) << yellow;
    }
}

TEST(ImageData, TitleCoversTheScreen) {
    const auto size = readPngSize(imagePath("title.png"));
    ASSERT_TRUE(size.has_value());
    EXPECT_EQ(size->first, 640);
    EXPECT_EQ(size->second, 480);
}
