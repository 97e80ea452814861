// Drawing cost of a busy frame on the offscreen backend: three layers of map chips and 1000 sprites.
// Prints the time to cut an 8192-chip sheet and the median / 95th percentile milliseconds per frame.
#include "dx/DxLib.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double millisSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A 24-bit BMP whose colour varies by 16x16 cell, with a magenta corner in each cell.
void writeSheet(const std::string& path, int w, int h) {
    std::ofstream out(path, std::ios::binary);
    const int rowBytes = (w * 3 + 3) & ~3;
    auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("BM", 2);
    u32(std::uint32_t(54 + rowBytes * h));
    u32(0);
    u32(54);
    u32(40);
    u32(std::uint32_t(w));
    u32(std::uint32_t(h));
    u16(1);
    u16(24);
    u32(0);
    u32(std::uint32_t(rowBytes * h));
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    std::vector<char> row(std::size_t(rowBytes), 0);
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const int cell = (y / 16) * (w / 16) + x / 16;
            const bool key = (x % 16) < 3 && (y % 16) < 3;
            char* p = &row[std::size_t(x * 3)];
            p[0] = char(key ? 255 : (cell * 7) & 255);
            p[1] = char(key ? 0 : (cell * 13 + y) & 255);
            p[2] = char(key ? 255 : (cell * 29 + x) & 255);
        }
        out.write(row.data(), rowBytes);
    }
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const std::size_t i = std::min(values.size() - 1, std::size_t(p * double(values.size() - 1) + 0.5));
    return values[i];
}

} // namespace

int main() {
    const auto dir =
        std::filesystem::temp_directory_path() / ("tavoni_bench_draw_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string sheetPath = (dir / "sheet.bmp").string();
    const std::string spritePath = (dir / "sprite.bmp").string();
    writeSheet(sheetPath, 4096, 512);
    writeSheet(spritePath, 32, 32);

    dx_SetBackend(DxBackend::Offscreen);
    dx_SetTransColor(255, 0, 255);
    if (dx_DxLib_Init() != 0) {
        std::fprintf(stderr, "bench_draw: %s\n", dx_GetLastError().c_str());
        return 1;
    }
    dx_SetDrawMode(1);

    std::vector<int> chips(8192);
    const auto loadStart = Clock::now();
    if (dx_LoadDivGraph(sheetPath.c_str(), 8192, 256, 32, 16, 16, chips.data()) != 0) {
        std::fprintf(stderr, "bench_draw: %s\n", dx_GetLastError().c_str());
        return 1;
    }
    const double loadMs = millisSince(loadStart);
    const int sprite = dx_LoadGraph(spritePath.c_str());
    if (sprite < 0) {
        std::fprintf(stderr, "bench_draw: %s\n", dx_GetLastError().c_str());
        return 1;
    }

    constexpr int kFrames = 300;
    std::vector<double> frameMs;
    frameMs.reserve(kFrames);
    for (int frame = 0; frame < kFrames && dx_ProcessMessage() == 0; ++frame) {
        const auto start = Clock::now();
        dx_ClsDrawScreen();
        for (int layer = 0; layer < 3; ++layer) {
            for (int y = 0; y < 30; ++y) {
                for (int x = 0; x < 40; ++x) {
                    const int chip = chips[std::size_t((layer * 1200 + y * 40 + x + frame) % 8192)];
                    dx_DrawGraph(x * 16, y * 16, chip, 1);
                }
            }
        }
        for (int i = 0; i < 1000; ++i) {
            const int x = (i * 37 + frame * 3) % 640;
            const int y = (i * 53 + frame * 2) % 480;
            switch (i % 3) {
            case 0:
                dx_DrawGraph(x, y, sprite, 1);
                break;
            case 1:
                dx_SetDrawBlendMode(1, 128);
                dx_DrawGraph(x, y, sprite, 1);
                dx_SetDrawBlendMode(0, 0);
                break;
            default:
                dx_DrawRotaGraph(x, y, 1.0, (i + frame) * 0.05, sprite, 1);
                break;
            }
        }
        dx_ScreenFlip();
        frameMs.push_back(millisSince(start));
    }

    dx_DxLib_End();
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);

    std::printf("bench_draw: cut 8192 chips of 16x16 from a 4096x512 sheet: %.2f ms\n", loadMs);
    std::printf(
        "bench_draw: %zu frames of 3x40x30 chips + 1000 sprites (1/3 alpha, 1/3 rotated), offscreen\n",
        frameMs.size());
    std::printf("bench_draw: median %.2f ms/frame, 95th percentile %.2f ms/frame\n", percentile(frameMs, 0.5),
                percentile(frameMs, 0.95));
    return 0;
}
