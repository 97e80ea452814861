#include "base/FieldText.h"

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

std::vector<std::string_view> fSplitFields(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(separator, start);
        if (at == std::string_view::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
}
