// The file of unlocked tips ("dat/tips.dat"): one bare bool array, a 4-byte count then one byte per tip.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

inline constexpr const char* kTipsPath = "dat/tips.dat";

// The flags as stored; a zero-length file is an empty list. A damaged file, or one far longer than any list
// of tips, is a CException. The file's bytes go through fReadTipsBytes.
std::vector<bool> fReadTipsFile(const std::string& path);
// The same for the file's bytes; `name` stands for the file in messages.
std::vector<bool> fReadTipsBytes(std::span<const std::byte> bytes, const std::string& name);

// Replaces the file with the flags.
void fWriteTipsFile(const std::string& path, const std::vector<bool>& flags);

// The flags of `count` tips: all locked when the file is missing or damaged (damage is logged and the file
// kept beside as ".bad"); flags the file lacks are locked and extra ones are ignored.
std::vector<bool> fLoadTipsFlags(const std::string& path, int count);
