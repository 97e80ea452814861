#include "util/DecimalText.h"

#include <algorithm>
#include <charconv>
#include <climits>

bool fParseDecimalInt(std::string_view text, int& value) {
    if (text.empty() || text.size() > 10 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    long long wide = 0;
    std::from_chars(text.data(), text.data() + text.size(), wide);
    if (wide > INT_MAX) {
        return false;
    }
    value = static_cast<int>(wide);
    return true;
}
