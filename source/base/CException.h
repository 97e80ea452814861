// The game's failures: an exception carrying a text. The scene loop's guard catches these, like any other
// std::exception, writes them to the log and shuts the game down normally.
#pragma once

#include <stdexcept>
#include <string>

class CException : public std::runtime_error {
public:
    explicit CException(const std::string& text) : std::runtime_error(text) {}
};
