// The name a replay is offered under on the ranking's web page, NAME-SCORE.tavoni-replay, which the game
// opens when the file is opened from a browser or a file manager.
#pragma once

#include <string>
#include <string_view>

// The player's name with what a file name cannot hold (separators, controls, quotes, a leading dot) made
// "_", then "-SCORE.tavoni-replay"; "replay" stands for an empty name.
std::string fReplayFileName(std::string_view name, int score);
// An attachment under `fileName` (UTF-8): its ASCII letters as `filename`, the whole as `filename*`.
std::string fReplayContentDisposition(std::string_view fileName);
