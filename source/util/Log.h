// Small diagnostics that must not stop the game: a damaged save that was replaced by its default, a file
// that could not be cleaned up. Written to standard error.
#pragma once

#include <string>

void fLogWarning(const std::string& message);
