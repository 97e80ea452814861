// The server's reasons for refusing an upload, which it words in English, told to the player in the game's
// language: each known reason has a message id of its own (Japanese, translated where it is shown).
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The player's words for `refusal` (the reason after "UploadFailed?"), translated and broken into lines
// that fit a notice; a name the reason quotes goes into them. Nothing for a reason the game does not know:
// that one is shown as the server put it.
std::optional<std::string> fDescribeRefusal(std::string_view refusal);
