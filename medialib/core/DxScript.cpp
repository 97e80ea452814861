// Scripted input: events read from a file and pushed as SDL events at the start of their frames, so the game
// sees them exactly as it sees a keyboard or a pad.
#include "DxState.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace dxi {

namespace {

struct NamedKey {
    const char* name;
    SDL_Scancode sc;
};

constexpr NamedKey kNamedKeys[] = {
    {"Left", SDL_SCANCODE_LEFT},   {"Right", SDL_SCANCODE_RIGHT},         {"Up", SDL_SCANCODE_UP},
    {"Down", SDL_SCANCODE_DOWN},   {"Escape", SDL_SCANCODE_ESCAPE},       {"Return", SDL_SCANCODE_RETURN},
    {"Space", SDL_SCANCODE_SPACE}, {"Backspace", SDL_SCANCODE_BACKSPACE}, {"Alt", SDL_SCANCODE_LALT},
};

// <cctype> is undefined for negative chars, which is what bytes from 0x80 up are.
bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// Whole, shortest-form UTF-8 code points only, no surrogates: the text splitter relies on every
// character being at most four bytes and starting with a lead byte.
bool isValidUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        std::uint32_t code = 0;
        std::uint32_t least = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xe0) == 0xc0) {
            length = 2;
            code = lead & 0x1fu;
            least = 0x80;
        } else if ((lead & 0xf0) == 0xe0) {
            length = 3;
            code = lead & 0x0fu;
            least = 0x800;
        } else if ((lead & 0xf8) == 0xf0) {
            length = 4;
            code = lead & 0x07u;
            least = 0x10000;
        } else {
            return false;
        }
        if (text.size() - i < length) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xc0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3fu);
        }
        if (code < least || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) {
            return false;
        }
        i += length;
    }
    return true;
}

// Fills `e` with the key or pad bit named `name`; false when the name is unknown.
bool lookupKey(const std::string& name, ScriptEvent& e, bool& isPad) {
    isPad = false;
    if (name.size() == 1 && name[0] >= 'A' && name[0] <= 'Z') {
        e.code = SDL_SCANCODE_A + (name[0] - 'A');
        return true;
    }
    for (const NamedKey& k : kNamedKeys) {
        if (name == k.name) {
            e.code = k.sc;
            return true;
        }
    }
    if (name.size() >= 2 && name[0] == 'F' && std::all_of(name.begin() + 1, name.end(), isDigit) &&
        name.size() <= 3) {
        int n = std::stoi(name.substr(1));
        if (n >= 1 && n <= 12) {
            e.code = SDL_SCANCODE_F1 + (n - 1);
            return true;
        }
        return false;
    }
    static const std::pair<const char*, int> padDirs[] = {
        {"PadDown", 0}, {"PadLeft", 1}, {"PadRight", 2}, {"PadUp", 3}};
    for (const auto& [padName, bit] : padDirs) {
        if (name == padName) {
            e.code = bit;
            isPad = true;
            return true;
        }
    }
    if (name.size() >= 4 && name.compare(0, 3, "Pad") == 0 && name.size() <= 5 &&
        std::all_of(name.begin() + 3, name.end(), isDigit)) {
        int n = std::stoi(name.substr(3));
        if (n >= 1 && n <= 16) {
            e.code = 4 + n - 1;
            isPad = true;
            return true;
        }
    }
    return false;
}

bool parseScript(const std::string& text, const std::string& source, std::string& error) {
    std::vector<ScriptEvent> events;
    bool pad = false;
    bool devicePad = false;
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    auto fail = [&](const std::string& what) {
        error = source + ":" + std::to_string(lineNo) + ": " + what;
        return false;
    };
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        // A comment runs to the end of the line, except inside typed text.
        std::string head = line;
        std::size_t start = head.find_first_not_of(" \t");
        if (start == std::string::npos || head[start] == '#') {
            continue;
        }
        std::size_t p = start;
        while (p < head.size() && isDigit(head[p])) {
            ++p;
        }
        if (p == start) {
            return fail("expected a frame number at the start of the line");
        }
        if (p - start > 9) {
            return fail("frame number too large");
        }
        const int frame = std::stoi(head.substr(start, p - start));
        if (p >= head.size() || (head[p] != ' ' && head[p] != '\t')) {
            return fail("expected an action (down, up, tap, text) after the frame number");
        }
        std::size_t a = head.find_first_not_of(" \t", p);
        if (a == std::string::npos) {
            return fail("expected an action (down, up, tap, text) after the frame number");
        }
        std::size_t aEnd = head.find_first_of(" \t", a);
        const std::string action = head.substr(a, aEnd == std::string::npos ? std::string::npos : aEnd - a);
        if (action == "text") {
            if (aEnd == std::string::npos || aEnd + 1 >= head.size()) {
                return fail("\"text\" needs the characters to type");
            }
            ScriptEvent e;
            e.frame = frame;
            e.kind = ScriptEvent::Text;
            e.text = head.substr(aEnd + 1);
            if (!isValidUtf8(e.text)) {
                return fail("\"text\" holds bytes that are not UTF-8");
            }
            events.push_back(e);
            continue;
        }
        if (action == "pad") {
            // "pad attach [controller|joystick]" plugs in a virtual pad, "pad detach" pulls it out; while one
            // is in, the script's pad keys press its buttons.
            std::istringstream words(aEnd == std::string::npos ? "" : head.substr(aEnd));
            std::string what, kind, extra;
            words >> what;
            const bool hasKind = static_cast<bool>(words >> kind) && kind[0] != '#';
            if (hasKind && words >> extra && extra[0] != '#') {
                return fail("unexpected \"" + extra + "\" after the pad's kind");
            }
            ScriptEvent e;
            e.frame = frame;
            if (what == "attach" && (!hasKind || kind == "controller" || kind == "joystick")) {
                e.kind = ScriptEvent::PadAttach;
                e.code = hasKind && kind == "joystick" ? 0 : 1;
            } else if (what == "detach" && !hasKind) {
                e.kind = ScriptEvent::PadDetach;
            } else {
                return fail("\"pad\" needs \"attach [controller|joystick]\" or \"detach\"");
            }
            devicePad = true;
            events.push_back(e);
            continue;
        }
        if (action == "focus") {
            std::istringstream words(aEnd == std::string::npos ? "" : head.substr(aEnd));
            std::string which, extra;
            if (!(words >> which) || (which != "out" && which != "in") ||
                (words >> extra && extra[0] != '#')) {
                return fail("\"focus\" needs \"out\" or \"in\"");
            }
            ScriptEvent e;
            e.frame = frame;
            e.kind = which == "out" ? ScriptEvent::FocusOut : ScriptEvent::FocusIn;
            events.push_back(e);
            continue;
        }
        if (action != "down" && action != "up" && action != "tap") {
            return fail("unknown action \"" + action + "\" (expected down, up, tap, text, focus or pad)");
        }
        std::string rest = aEnd == std::string::npos ? "" : head.substr(aEnd);
        std::size_t hash = rest.find('#');
        if (hash != std::string::npos) {
            rest.erase(hash);
        }
        std::istringstream words(rest);
        std::string key, extra;
        if (!(words >> key)) {
            return fail("\"" + action + "\" needs a key name");
        }
        if (words >> extra) {
            return fail("unexpected \"" + extra + "\" after the key name");
        }
        ScriptEvent e;
        e.frame = frame;
        bool isPad = false;
        if (!lookupKey(key, e, isPad)) {
            return fail("unknown key \"" + key + "\"");
        }
        pad = pad || isPad;
        const auto downKind = isPad ? ScriptEvent::PadDown : ScriptEvent::KeyDown;
        const auto upKind = isPad ? ScriptEvent::PadUp : ScriptEvent::KeyUp;
        if (action == "down" || action == "tap") {
            e.kind = downKind;
            events.push_back(e);
        }
        if (action == "up" || action == "tap") {
            e.kind = upKind;
            if (action == "tap") {
                e.frame = frame + 1;
            }
            events.push_back(e);
        }
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const ScriptEvent& l, const ScriptEvent& r) { return l.frame < r.frame; });
    State& s = st();
    s.script = std::move(events);
    s.scriptNext = 0;
    // With a virtual device the pad keys are its buttons; otherwise a pad that is always there carries them.
    s.scriptPad = pad && !devicePad;
    s.scriptPadBits = 0;
    return true;
}

void pushKey(SDL_Scancode sc, bool down) {
    SDL_Event e;
    std::memset(&e, 0, sizeof e);
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.scancode = sc;
    e.key.keysym.sym = SDL_GetKeyFromScancode(sc);
    // A pushed event does not move SDL's modifier state: the script's Alt is carried by hand (Alt+Return).
    if (sc == SDL_SCANCODE_LALT) {
        st().scriptAlt = down;
    }
    e.key.keysym.mod = st().scriptAlt ? KMOD_LALT : KMOD_NONE;
    e.key.timestamp = SDL_GetTicks();
    SDL_PushEvent(&e);
}

void pushPad(int bit, bool down) {
    SDL_Event e;
    std::memset(&e, 0, sizeof e);
    e.type = down ? SDL_CONTROLLERBUTTONDOWN : SDL_CONTROLLERBUTTONUP;
    e.cbutton.which = kScriptPadId;
    e.cbutton.button = static_cast<Uint8>(bit);
    e.cbutton.state = down ? SDL_PRESSED : SDL_RELEASED;
    SDL_PushEvent(&e);
}

void pushText(const std::string& text) {
    // One event holds fewer than 32 bytes; split between whole UTF-8 characters. The parser lets only valid
    // UTF-8 through, so a character is at most four bytes and `n` never backs off to 0.
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t n = std::min<std::size_t>(text.size() - i, SDL_TEXTINPUTEVENT_TEXT_SIZE - 1);
        while (n > 0 && i + n < text.size() && (static_cast<unsigned char>(text[i + n]) & 0xc0) == 0x80) {
            --n;
        }
        SDL_Event e;
        std::memset(&e, 0, sizeof e);
        e.type = SDL_TEXTINPUT;
        std::memcpy(e.text.text, text.data() + i, n);
        SDL_PushEvent(&e);
        i += n;
    }
}

} // namespace

void injectScriptEvents(int frame) {
    State& s = st();
    while (s.scriptNext < s.script.size() && s.script[s.scriptNext].frame <= frame) {
        const ScriptEvent& e = s.script[s.scriptNext++];
        if (e.frame < frame) {
            continue; // scheduled before the loop started
        }
        switch (e.kind) {
        case ScriptEvent::KeyDown:
            pushKey(static_cast<SDL_Scancode>(e.code), true);
            break;
        case ScriptEvent::KeyUp:
            pushKey(static_cast<SDL_Scancode>(e.code), false);
            break;
        case ScriptEvent::PadDown:
        case ScriptEvent::PadUp:
            if (s.scriptDevice) {
                pressScriptPad(e.code, e.kind == ScriptEvent::PadDown);
            } else {
                pushPad(e.code, e.kind == ScriptEvent::PadDown);
            }
            break;
        case ScriptEvent::PadAttach: {
            std::string error;
            if (!attachScriptPad(e.code == 1, error)) {
                std::fprintf(stderr, "tavoni: input script: %s\n", error.c_str());
            }
            break;
        }
        case ScriptEvent::PadDetach:
            detachScriptPad();
            break;
        case ScriptEvent::Text:
            pushText(e.text);
            break;
        case ScriptEvent::FocusOut:
        case ScriptEvent::FocusIn: {
            SDL_Event w;
            std::memset(&w, 0, sizeof w);
            w.type = SDL_WINDOWEVENT;
            w.window.event =
                e.kind == ScriptEvent::FocusOut ? SDL_WINDOWEVENT_FOCUS_LOST : SDL_WINDOWEVENT_FOCUS_GAINED;
            SDL_PushEvent(&w);
            break;
        }
        }
    }
}

void resetScript() {
    State& s = st();
    detachScriptPad();
    s.script.clear();
    s.scriptNext = 0;
    s.scriptPad = false;
    s.scriptPadBits = 0;
}

} // namespace dxi

using namespace dxi;

bool dx_LoadInputScript(const std::string& path, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = path + ": cannot read the input script";
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    return parseScript(text.str(), path, error);
}

bool dx_SetInputScript(const std::string& text, std::string& error) {
    return parseScript(text, "<script>", error);
}
