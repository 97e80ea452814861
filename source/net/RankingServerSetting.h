// The ranking server as the player's own setting: a small text file in the player's folder, so a game
// started from the desktop's menu can be pointed at another server. The game writes it the first time with
// the built-in server. --ranking-server and TAVONI_RANKING_SERVER still win over it, in that order.
#pragma once

#include <cstddef>
#include <string>

inline constexpr const char* kRankingServerFile = "dat/ranking_server.txt";
// Past this the file is not read: it holds one short line.
inline constexpr std::size_t kRankingServerFileLimit = 4096;

// The server the file's text names: its first line that is neither blank nor a "#" comment, without the
// blanks around it. Empty, with `error` saying why, when that line is missing or not [https://]HOST[:PORT].
std::string fParseRankingServerSetting(const std::string& text, std::string& error);

// Reads the file at `path` and makes its server the setting's (fSetSettingRankingServer). A file that is
// missing is written with the built-in server when `writeDefault` is set; one that is too large, unreadable
// or names no valid server is logged and left alone, and the built-in server is used.
void fLoadRankingServerSetting(const std::string& path, bool writeDefault);
