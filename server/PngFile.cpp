#include "PngFile.h"

#include <cstdint>
#include <zlib.h>

namespace {

constexpr std::string_view kSignature("\x89PNG\r\n\x1a\n", 8);

std::uint32_t fBigEndian(std::string_view bytes, std::size_t at) {
    return (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) << 24) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 16) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 8) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 3]));
}

void fAppendBigEndian(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out += static_cast<char>((value >> shift) & 0xff);
    }
}

std::uint32_t fCrc(std::string_view typeAndData) {
    return static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(typeAndData.data()), static_cast<uInt>(typeAndData.size())));
}

} // namespace

std::string fCheckPng(std::string_view bytes, int width, int height) {
    if (bytes.size() > kMaxResultPictureBytes) {
        return "larger than any picture of ours";
    }
    if (!bytes.starts_with(kSignature)) {
        return "not a PNG";
    }
    std::size_t at = kSignature.size();
    bool first = true;
    bool pixels = false;
    while (at + 12 <= bytes.size()) {
        const std::uint32_t length = fBigEndian(bytes, at);
        if (length > bytes.size() - at - 12) {
            return "cut short";
        }
        const std::string_view type = bytes.substr(at + 4, 4);
        if (fCrc(bytes.substr(at + 4, 4 + length)) != fBigEndian(bytes, at + 8 + length)) {
            return "damaged (a chunk's CRC does not hold)";
        }
        if (first) {
            if (type != "IHDR" || length != 13) {
                return "no header";
            }
            if (fBigEndian(bytes, at + 8) != static_cast<std::uint32_t>(width) ||
                fBigEndian(bytes, at + 12) != static_cast<std::uint32_t>(height)) {
                return "not " + std::to_string(width) + " x " + std::to_string(height);
            }
            first = false;
        }
        pixels |= type == "IDAT";
        at += 12 + length;
        if (type == "IEND") {
            if (at != bytes.size()) {
                return "bytes after its end";
            }
            return pixels ? "" : "no pixels";
        }
    }
    return "cut short";
}

std::string fWithTransparentMagenta(std::string_view png) {
    // Signature, then IHDR: length 13, type, width, height, bit depth, colour type, ...
    constexpr std::size_t kHeaderEnd = 8 + 12 + 13;
    if (png.size() < kHeaderEnd || !png.starts_with(kSignature) || png.substr(12, 4) != "IHDR" ||
        png[24] != 8 || png[25] != 2 || png.find("tRNS") != std::string_view::npos) {
        return std::string(png);
    }
    std::string chunk("tRNS\0\xff\0\0\0\xff", 10); // 16-bit samples: red 255, green 0, blue 255
    std::string out(png.substr(0, kHeaderEnd));
    fAppendBigEndian(out, 6);
    out += chunk;
    fAppendBigEndian(out, fCrc(chunk));
    out += png.substr(kHeaderEnd);
    return out;
}
