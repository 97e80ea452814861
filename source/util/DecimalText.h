// Whole numbers that arrive as text from outside (network replies, requests): only plain decimal digits are
// accepted, never a sign, spaces or a number past the int range.
#pragma once

#include <string_view>

// `text` is 1 to 10 decimal digits whose value fits in an int (0 .. 2147483647); `value` is set only then.
bool fParseDecimalInt(std::string_view text, int& value);
