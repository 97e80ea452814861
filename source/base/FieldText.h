// Fields of the text that arrives from outside (network requests and replies): splitting at a separator,
// and whole numbers of plain decimal digits only, never a sign, spaces or a number past the int range.
#pragma once

#include <string_view>
#include <vector>

// Every part between separators, empty parts included: "a??b" gives "a", "", "b".
std::vector<std::string_view> fSplitFields(std::string_view text, char separator);

// `text` is 1 to 10 decimal digits whose value fits in an int (0 .. 2147483647); `value` is set only then.
bool fParseDecimalInt(std::string_view text, int& value);
