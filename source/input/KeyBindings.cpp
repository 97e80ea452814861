#include "input/KeyBindings.h"

#include "base/CException.h"
#include "base/serialization/RecordFile.h"
#include "base/serialization/Serializer.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <set>

namespace {

struct SKeyName {
    int code;
    const char* name;
};

// Letters (less I J K L), digits, the arrows and a few keys of their own.
constexpr std::array<SKeyName, 48> kKeyNames{{
    {0xCB, "Left"},  {0xC8, "Up"},    {0xCD, "Right"}, {0xD0, "Down"}, {0x1E, "A"},      {0x30, "B"},
    {0x2E, "C"},     {0x20, "D"},     {0x12, "E"},     {0x21, "F"},    {0x22, "G"},      {0x23, "H"},
    {0x32, "M"},     {0x31, "N"},     {0x18, "O"},     {0x19, "P"},    {0x10, "Q"},      {0x13, "R"},
    {0x1F, "S"},     {0x14, "T"},     {0x16, "U"},     {0x2F, "V"},    {0x11, "W"},      {0x2D, "X"},
    {0x15, "Y"},     {0x2C, "Z"},     {0x0B, "0"},     {0x02, "1"},    {0x03, "2"},      {0x04, "3"},
    {0x05, "4"},     {0x06, "5"},     {0x07, "6"},     {0x08, "7"},    {0x09, "8"},      {0x0A, "9"},
    {0x39, "Space"}, {0x1C, "Enter"}, {0x0F, "Tab"},   {0x0E, "BS"},   {0x2A, "LShift"}, {0x36, "RShift"},
    {0x1D, "LCtrl"}, {0x9D, "RCtrl"}, {0x3C, "F2"},    {0x3D, "F3"},   {0x3E, "F4"},     {0x3F, "F5"},
}};

SKeyBindings& fCurrent() {
    static SKeyBindings bindings;
    return bindings;
}

void fDescribe(serialization::Serializer& s, SKeyBindings& bindings) {
    std::set<int> seen;
    for (int& code : bindings.codes) {
        std::int32_t value = code;
        s.describe(value);
        if (fKeyName(value) == nullptr) {
            throw CException("the key code " + std::to_string(value) + " cannot be bound");
        }
        if (!seen.insert(value).second) {
            throw CException(std::string("the key ") + fKeyName(value) + " is bound twice");
        }
        code = value;
    }
}

} // namespace

const char* fKeyName(int code) {
    for (const SKeyName& key : kKeyNames) {
        if (key.code == code) {
            return key.name;
        }
    }
    return nullptr;
}

const std::array<int, 48>& fBindableKeys() {
    static const std::array<int, 48> codes = [] {
        std::array<int, 48> made{};
        std::transform(kKeyNames.begin(), kKeyNames.end(), made.begin(),
                       [](const SKeyName& k) { return k.code; });
        return made;
    }();
    return codes;
}

bool fBindKey(SKeyBindings& bindings, EBoundKey key, int code) {
    if (fKeyName(code) == nullptr) {
        return false;
    }
    int& slot = bindings.codes[static_cast<std::size_t>(key)];
    for (int& other : bindings.codes) {
        if (other == code) {
            other = slot; // swapped, never lost
        }
    }
    slot = code;
    return true;
}

std::string fNameBoundKey(std::string_view text, EBoundKey key) {
    const std::string_view game = fKeyName(SKeyBindings{}.fCode(key));
    const char* bound = fKeyName(fKeyBindings().fCode(key));
    if (bound == nullptr || game == bound || game.size() != 1) {
        return std::string(text);
    }
    // U+FF21 FULLWIDTH LATIN CAPITAL LETTER A onwards: EF BC A1...
    const std::string wide{'\xEF', '\xBC', static_cast<char>(0xA1 + (game[0] - 'A'))};
    const auto isWordLetter = [&text](std::size_t i) {
        return i < text.size() && std::isalnum(static_cast<unsigned char>(text[i])) != 0;
    };
    std::string named;
    for (std::size_t i = 0; i < text.size();) {
        if (text.substr(i, wide.size()) == wide) {
            named += bound;
            i += wide.size();
        } else if (text[i] == game[0] && (i == 0 || !isWordLetter(i - 1)) && !isWordLetter(i + 1)) {
            named += bound;
            ++i;
        } else {
            named += text[i++];
        }
    }
    return named;
}

const SKeyBindings& fKeyBindings() {
    return fCurrent();
}

void fSetKeyBindings(const SKeyBindings& bindings) {
    fCurrent() = bindings;
}

std::optional<SKeyBindings> fLoadKeyBindings(const std::string& path) {
    SKeyBindings bindings;
    if (!serialization::fLoadRecordOrSetAside(
            path, [&bindings](serialization::Serializer& s) { fDescribe(s, bindings); })) {
        return std::nullopt;
    }
    return bindings;
}

void fSaveKeyBindings(const std::string& path, const SKeyBindings& bindings) {
    SKeyBindings copy = bindings;
    serialization::fSaveRecord(path, [&copy](serialization::Serializer& s) { fDescribe(s, copy); });
}
