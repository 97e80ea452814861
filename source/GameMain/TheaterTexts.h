// Every word the replay theater shows the player, in one place.
#pragma once

#include "base/Translation.h"

namespace theater_text {

inline constexpr const char* kReplay = fTrMark("リプレイ");
inline constexpr const char* kOwnBest = fTrMark("自分のベスト");
// A player's replay, by name.
inline constexpr const char* kPlayersReplay = fTrMark("%sさん");
inline constexpr const char* kScore = fTrMark("スコア");
inline constexpr const char* kPaused = fTrMark("一時停止");
inline constexpr const char* kFastForward = fTrMark("早送り");
inline constexpr const char* kSpeed = fTrMark("速さ");
// The controls, on the overlay's last line.
inline constexpr const char* kKeyHelp =
    fTrMark("←→5秒 ↑↓30秒 PgUp/PgDn見どころ Homeはじめ [ ]速さ Pポーズ .コマ送り");
// The same for a pad: its buttons by number, as the key configuration numbers them.
inline constexpr const char* kPadHelp =
    fTrMark("←→5秒 ↑↓30秒 ボタン5/6見どころ 7はじめ 3/4速さ 8ポーズ 1/2コマ送り/戻し");
// The notice for a file given to the game that it cannot play.
inline constexpr const char* kNotAReplay =
    fTrMark("このファイルはリプレイではないため\n再生できませんでした");

} // namespace theater_text
