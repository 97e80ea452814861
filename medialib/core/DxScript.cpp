// Scripted input: events read from a file and pushed as SDL events at the start of their frames, so the game
// sees them exactly as it sees a keyboard or a pad.
#include "DxState.h"

#include <algorithm>
#include <cctype>
#include <csignal>
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
    {"Left", SDL_SCANCODE_LEFT},
    {"Right", SDL_SCANCODE_RIGHT},
    {"Up", SDL_SCANCODE_UP},
    {"Down", SDL_SCANCODE_DOWN},
    {"Escape", SDL_SCANCODE_ESCAPE},
    {"Return", SDL_SCANCODE_RETURN},
    {"Space", SDL_SCANCODE_SPACE},
    {"Backspace", SDL_SCANCODE_BACKSPACE},
    {"Alt", SDL_SCANCODE_LALT},
    {"Shift", SDL_SCANCODE_LSHIFT},
    {"Home", SDL_SCANCODE_HOME},
    {"End", SDL_SCANCODE_END},
    {"PageUp", SDL_SCANCODE_PAGEUP},
    {"PageDown", SDL_SCANCODE_PAGEDOWN},
    {"Period", SDL_SCANCODE_PERIOD},
    {"Comma", SDL_SCANCODE_COMMA},
    {"Minus", SDL_SCANCODE_MINUS},
    {"Equals", SDL_SCANCODE_EQUALS},
    {"LeftBracket", SDL_SCANCODE_LEFTBRACKET},
    {"RightBracket", SDL_SCANCODE_RIGHTBRACKET},
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
    if (name.size() == 1 && isDigit(name[0])) {
        e.code = name[0] == '0' ? SDL_SCANCODE_0 : SDL_SCANCODE_1 + (name[0] - '1');
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

// What the script holds so far.
struct ParsedScript {
    std::vector<ScriptEvent> events;
    bool pad = false;       // a pad key is named
    bool devicePad = false; // a virtual pad is attached or detached
};

// One line after its frame and action: `rest` is everything after the action word, from the blank that ends
// it (empty when the line ends at the action).
struct ScriptLine {
    int frame = 0;
    std::string action;
    std::string rest;
};

// Each action reads its line into events; false with `why` when the line is malformed.
using ActionReader = bool (*)(const ScriptLine& line, ParsedScript& out, std::string& why);

bool readText(const ScriptLine& line, ParsedScript& out, std::string& why) {
    if (line.rest.size() < 2) {
        why = "\"text\" needs the characters to type";
        return false;
    }
    ScriptEvent e;
    e.frame = line.frame;
    e.kind = ScriptEvent::Text;
    // A comment runs to the end of the line, except inside typed text.
    e.text = line.rest.substr(1);
    if (!isValidUtf8(e.text)) {
        why = "\"text\" holds bytes that are not UTF-8";
        return false;
    }
    out.events.push_back(e);
    return true;
}

// "pad attach [controller|joystick]" plugs in a virtual pad, "pad detach" pulls it out; while one is in, the
// script's pad keys press its buttons.
bool readPad(const ScriptLine& line, ParsedScript& out, std::string& why) {
    std::istringstream words(line.rest);
    std::string what, kind, extra;
    words >> what;
    const bool hasKind = static_cast<bool>(words >> kind) && kind[0] != '#';
    if (hasKind && words >> extra && extra[0] != '#') {
        why = "unexpected \"" + extra + "\" after the pad's kind";
        return false;
    }
    ScriptEvent e;
    e.frame = line.frame;
    if (what == "attach" && (!hasKind || kind == "controller" || kind == "joystick")) {
        e.kind = ScriptEvent::PadAttach;
        e.code = hasKind && kind == "joystick" ? 0 : 1;
    } else if (what == "detach" && !hasKind) {
        e.kind = ScriptEvent::PadDetach;
    } else {
        why = "\"pad\" needs \"attach [controller|joystick]\" or \"detach\"";
        return false;
    }
    out.devicePad = true;
    out.events.push_back(e);
    return true;
}

bool readFocus(const ScriptLine& line, ParsedScript& out, std::string& why) {
    std::istringstream words(line.rest);
    std::string which, extra;
    if (!(words >> which) || (which != "out" && which != "in") || (words >> extra && extra[0] != '#')) {
        why = "\"focus\" needs \"out\" or \"in\"";
        return false;
    }
    ScriptEvent e;
    e.frame = line.frame;
    e.kind = which == "out" ? ScriptEvent::FocusOut : ScriptEvent::FocusIn;
    out.events.push_back(e);
    return true;
}

// Nothing after the action but a comment.
bool restIsEmpty(const ScriptLine& line) {
    std::istringstream words(line.rest);
    std::string extra;
    return !(words >> extra) || extra[0] == '#';
}

// "close": the window's close button.
bool readClose(const ScriptLine& line, ParsedScript& out, std::string& why) {
    if (!restIsEmpty(line)) {
        why = "\"close\" takes nothing after it";
        return false;
    }
    ScriptEvent e;
    e.frame = line.frame;
    e.kind = ScriptEvent::Close;
    out.events.push_back(e);
    return true;
}

// "signal TERM|INT": the process gets that signal, as from kill or Ctrl+C in a terminal.
bool readSignal(const ScriptLine& line, ParsedScript& out, std::string& why) {
    std::istringstream words(line.rest);
    std::string which, extra;
    if (!(words >> which) || (which != "TERM" && which != "INT") || (words >> extra && extra[0] != '#')) {
        why = "\"signal\" needs \"TERM\" or \"INT\"";
        return false;
    }
    ScriptEvent e;
    e.frame = line.frame;
    e.kind = ScriptEvent::Signal;
    e.code = which == "TERM" ? SIGTERM : SIGINT;
    out.events.push_back(e);
    return true;
}

// "click X Y": the left mouse button down at (X, Y) of the 640 x 480 screen, up in the next frame.
bool readClick(const ScriptLine& line, ParsedScript& out, std::string& why) {
    std::istringstream words(line.rest);
    int x = -1;
    int y = -1;
    std::string extra;
    if (!(words >> x >> y) || x < 0 || x >= 640 || y < 0 || y >= 480 || (words >> extra && extra[0] != '#')) {
        why = "\"click\" needs X (0 to 639) and Y (0 to 479)";
        return false;
    }
    ScriptEvent e;
    e.frame = line.frame;
    e.kind = ScriptEvent::MouseDown;
    e.code = x;
    e.y = y;
    out.events.push_back(e);
    e.frame = line.frame + 1;
    e.kind = ScriptEvent::MouseUp;
    out.events.push_back(e);
    return true;
}

// The one key name of a down, up or tap line: `e` gets its code and frame, `isPad` whether it is a pad's.
bool readKey(const ScriptLine& line, ParsedScript& out, ScriptEvent& e, bool& isPad, std::string& why) {
    std::string rest = line.rest;
    const std::size_t hash = rest.find('#');
    if (hash != std::string::npos) {
        rest.erase(hash);
    }
    std::istringstream words(rest);
    std::string key, extra;
    if (!(words >> key)) {
        why = "\"" + line.action + "\" needs a key name";
        return false;
    }
    if (words >> extra) {
        why = "unexpected \"" + extra + "\" after the key name";
        return false;
    }
    e.frame = line.frame;
    if (!lookupKey(key, e, isPad)) {
        why = "unknown key \"" + key + "\"";
        return false;
    }
    out.pad = out.pad || isPad;
    return true;
}

// Reads the line's key and adds its going down, its going up, or both (a tap: up in the next frame).
bool readKeyEvents(const ScriptLine& line, ParsedScript& out, std::string& why, bool down, bool up) {
    ScriptEvent e;
    bool isPad = false;
    if (!readKey(line, out, e, isPad, why)) {
        return false;
    }
    if (down) {
        e.kind = isPad ? ScriptEvent::PadDown : ScriptEvent::KeyDown;
        out.events.push_back(e);
        e.frame = line.frame + 1;
    }
    if (up) {
        e.kind = isPad ? ScriptEvent::PadUp : ScriptEvent::KeyUp;
        out.events.push_back(e);
    }
    return true;
}

bool readDown(const ScriptLine& line, ParsedScript& out, std::string& why) {
    return readKeyEvents(line, out, why, true, false);
}

bool readUp(const ScriptLine& line, ParsedScript& out, std::string& why) {
    return readKeyEvents(line, out, why, false, true);
}

bool readTap(const ScriptLine& line, ParsedScript& out, std::string& why) {
    return readKeyEvents(line, out, why, true, true);
}

struct NamedAction {
    const char* name;
    ActionReader read;
};

constexpr NamedAction kActions[] = {
    {"down", readDown},   {"up", readUp},         {"tap", readTap},
    {"text", readText},   {"focus", readFocus},   {"pad", readPad},
    {"close", readClose}, {"signal", readSignal}, {"click", readClick},
};

// "<frame> <action>[ <rest>]" from the first non-blank at `start`; false with `why` when either is missing.
bool splitLine(const std::string& text, std::size_t start, ScriptLine& line, std::string& why) {
    std::size_t p = start;
    while (p < text.size() && isDigit(text[p])) {
        ++p;
    }
    if (p == start) {
        why = "expected a frame number at the start of the line";
        return false;
    }
    if (p - start > 9) {
        why = "frame number too large";
        return false;
    }
    line.frame = std::stoi(text.substr(start, p - start));
    const std::size_t a = p < text.size() && (text[p] == ' ' || text[p] == '\t')
                              ? text.find_first_not_of(" \t", p)
                              : std::string::npos;
    if (a == std::string::npos) {
        why = "expected an action (down, up, tap, text) after the frame number";
        return false;
    }
    const std::size_t aEnd = text.find_first_of(" \t", a);
    line.action = text.substr(a, aEnd == std::string::npos ? std::string::npos : aEnd - a);
    line.rest = aEnd == std::string::npos ? "" : text.substr(aEnd);
    return true;
}

// One line of the script into `out`; blank lines and comments add nothing.
bool readLine(std::string text, ParsedScript& out, std::string& why) {
    if (!text.empty() && text.back() == '\r') {
        text.pop_back();
    }
    const std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos || text[start] == '#') {
        return true;
    }
    ScriptLine line;
    if (!splitLine(text, start, line, why)) {
        return false;
    }
    for (const NamedAction& action : kActions) {
        if (line.action == action.name) {
            return action.read(line, out, why);
        }
    }
    why =
        "unknown action \"" + line.action + "\" (expected down, up, tap, text, focus, pad, close or signal)";
    return false;
}

bool parseScript(const std::string& text, const std::string& source, std::string& error) {
    ParsedScript parsed;
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        std::string why;
        if (!readLine(line, parsed, why)) {
            error = source + ":" + std::to_string(lineNo) + ": " + why;
            return false;
        }
    }
    std::stable_sort(parsed.events.begin(), parsed.events.end(),
                     [](const ScriptEvent& l, const ScriptEvent& r) { return l.frame < r.frame; });
    State& s = st();
    s.script = std::move(parsed.events);
    s.scriptNext = 0;
    // With a virtual device the pad keys are its buttons; otherwise a pad that is always there carries them.
    s.scriptPad = parsed.pad && !parsed.devicePad;
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
        case ScriptEvent::Close: {
            SDL_Event q;
            std::memset(&q, 0, sizeof q);
            q.type = SDL_QUIT;
            SDL_PushEvent(&q);
            break;
        }
        case ScriptEvent::Signal:
            std::raise(e.code);
            break;
        case ScriptEvent::MouseDown:
        case ScriptEvent::MouseUp:
            // Straight into the state, in screen coordinates: no window needs to be under the pointer.
            s.mouseX = e.code;
            s.mouseY = e.y;
            s.mouseButtons = e.kind == ScriptEvent::MouseDown ? (s.mouseButtons | 1) : (s.mouseButtons & ~1);
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
