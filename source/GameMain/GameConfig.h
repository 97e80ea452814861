// config.dat, the launch settings the player may edit: three "name=value" lines (window, sound, memory
// pre-allocation), each on when its value is exactly "1".
#pragma once

#include <cstdint>
#include <istream>
#include <string>

struct SConfig {
    bool windowed = true;
    bool sound = true;
    bool noPreAlloc = true;
};

// A config.dat that cannot be used (too few lines, a line without "=", far too long).
struct SConfigError {
    std::string message; // names the file and the line
};

// Three lines take a few dozen bytes; a longer file is refused unread.
inline constexpr std::uintmax_t kMaxConfigFileSize = 64 * 1024;

// Reads "config.dat" from the player's folder: missing file = all true. Throws SConfigError.
SConfig fLoadConfig();
// The parsing itself, for any stream; `fileName` is used in error messages.
SConfig fParseConfig(std::istream& in, const std::string& fileName);
