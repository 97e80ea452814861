#include "ReplayDownloadName.h"

#include <cstdio>

std::string fReplayFileName(std::string_view name, int score) {
    std::string file;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unsafe =
            byte < 0x20 || byte == 0x7f || std::string_view("/\\:*?\"<>|%").find(c) != std::string_view::npos;
        file += unsafe || (file.empty() && c == '.') ? '_' : c;
    }
    if (file.empty()) {
        file = "replay";
    }
    return file + "-" + std::to_string(score) + ".tavoni-replay";
}

std::string fReplayContentDisposition(std::string_view fileName) {
    std::string ascii;
    std::string encoded;
    for (const char c : fileName) {
        const auto byte = static_cast<unsigned char>(c);
        ascii += byte < 0x80 ? c : '_';
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                           c == '-' || c == '.' || c == '_' || c == '~';
        if (plain) {
            encoded += c;
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", byte);
            encoded += hex;
        }
    }
    return "attachment; filename=\"" + ascii + "\"; filename*=UTF-8''" + encoded;
}
