// Every word the replay theater shows the player, in one place.
#pragma once

namespace theater_text {

inline constexpr const char* kReplay = "リプレイ";
inline constexpr const char* kOwnBest = "自分のベスト";
// After a player's name.
inline constexpr const char* kPlayerSuffix = "さん";
inline constexpr const char* kScore = "スコア";
inline constexpr const char* kPaused = "一時停止";
inline constexpr const char* kFastForward = "早送り";
inline constexpr const char* kSpeed = "速さ";
// The controls, on the overlay's last line.
inline constexpr const char* kKeyHelp = "←→5秒 ↑↓30秒 PgUp/PgDn見どころ Homeはじめ [ ]速さ Pポーズ .コマ送り";
// The notice for a file given to the game that it cannot play.
inline constexpr const char* kNotAReplay = "このファイルはリプレイではないため\n再生できませんでした";

} // namespace theater_text
