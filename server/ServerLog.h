// The server's log: one line per event on standard error (journald keeps it when run as a service),
// stamped with the UTC time. Texts from the network are shown with their control bytes escaped and cut
// short, so a request cannot forge or flood log lines.
#pragma once

#include <string>
#include <string_view>

void fServerLog(const std::string& line);
// `text` made safe for one log line: at most `limit` bytes, bytes outside printable ASCII as \xNN.
std::string fLogSafe(std::string_view text, std::size_t limit = 200);
