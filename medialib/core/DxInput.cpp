// Keyboard, gamepads and mouse: state kept from SDL events, read by the game once per frame.
#include "DxBackend.h"

#include <algorithm>

namespace dxi {

namespace {

struct KeyPair {
    SDL_Scancode sdl;
    int dx;
};

constexpr KeyPair kKeys[] = {
    {SDL_SCANCODE_BACKSPACE, KEY_INPUT_BACK},
    {SDL_SCANCODE_TAB, KEY_INPUT_TAB},
    {SDL_SCANCODE_RETURN, KEY_INPUT_RETURN},
    {SDL_SCANCODE_KP_ENTER, KEY_INPUT_RETURN},
    {SDL_SCANCODE_LSHIFT, KEY_INPUT_LSHIFT},
    {SDL_SCANCODE_RSHIFT, KEY_INPUT_RSHIFT},
    {SDL_SCANCODE_LCTRL, KEY_INPUT_LCONTROL},
    {SDL_SCANCODE_RCTRL, KEY_INPUT_RCONTROL},
    {SDL_SCANCODE_ESCAPE, KEY_INPUT_ESCAPE},
    {SDL_SCANCODE_SPACE, KEY_INPUT_SPACE},
    {SDL_SCANCODE_LEFT, KEY_INPUT_LEFT},
    {SDL_SCANCODE_UP, KEY_INPUT_UP},
    {SDL_SCANCODE_RIGHT, KEY_INPUT_RIGHT},
    {SDL_SCANCODE_DOWN, KEY_INPUT_DOWN},
    {SDL_SCANCODE_F1, KEY_INPUT_F1},
    {SDL_SCANCODE_F2, KEY_INPUT_F2},
    {SDL_SCANCODE_F3, KEY_INPUT_F3},
    {SDL_SCANCODE_F4, KEY_INPUT_F4},
    {SDL_SCANCODE_F5, KEY_INPUT_F5},
    {SDL_SCANCODE_F6, KEY_INPUT_F6},
    {SDL_SCANCODE_F7, KEY_INPUT_F7},
    {SDL_SCANCODE_F8, KEY_INPUT_F8},
    {SDL_SCANCODE_F9, KEY_INPUT_F9},
    {SDL_SCANCODE_F10, KEY_INPUT_F10},
    {SDL_SCANCODE_F11, KEY_INPUT_F11},
    {SDL_SCANCODE_F12, KEY_INPUT_F12},
    {SDL_SCANCODE_A, KEY_INPUT_A},
    {SDL_SCANCODE_B, KEY_INPUT_B},
    {SDL_SCANCODE_C, KEY_INPUT_C},
    {SDL_SCANCODE_D, KEY_INPUT_D},
    {SDL_SCANCODE_E, KEY_INPUT_E},
    {SDL_SCANCODE_F, KEY_INPUT_F},
    {SDL_SCANCODE_G, KEY_INPUT_G},
    {SDL_SCANCODE_H, KEY_INPUT_H},
    {SDL_SCANCODE_I, KEY_INPUT_I},
    {SDL_SCANCODE_J, KEY_INPUT_J},
    {SDL_SCANCODE_K, KEY_INPUT_K},
    {SDL_SCANCODE_L, KEY_INPUT_L},
    {SDL_SCANCODE_M, KEY_INPUT_M},
    {SDL_SCANCODE_N, KEY_INPUT_N},
    {SDL_SCANCODE_O, KEY_INPUT_O},
    {SDL_SCANCODE_P, KEY_INPUT_P},
    {SDL_SCANCODE_Q, KEY_INPUT_Q},
    {SDL_SCANCODE_R, KEY_INPUT_R},
    {SDL_SCANCODE_S, KEY_INPUT_S},
    {SDL_SCANCODE_T, KEY_INPUT_T},
    {SDL_SCANCODE_U, KEY_INPUT_U},
    {SDL_SCANCODE_V, KEY_INPUT_V},
    {SDL_SCANCODE_W, KEY_INPUT_W},
    {SDL_SCANCODE_X, KEY_INPUT_X},
    {SDL_SCANCODE_Y, KEY_INPUT_Y},
    {SDL_SCANCODE_Z, KEY_INPUT_Z},
    {SDL_SCANCODE_0, KEY_INPUT_0},
    {SDL_SCANCODE_1, KEY_INPUT_1},
    {SDL_SCANCODE_2, KEY_INPUT_2},
    {SDL_SCANCODE_3, KEY_INPUT_3},
    {SDL_SCANCODE_4, KEY_INPUT_4},
    {SDL_SCANCODE_5, KEY_INPUT_5},
    {SDL_SCANCODE_6, KEY_INPUT_6},
    {SDL_SCANCODE_7, KEY_INPUT_7},
    {SDL_SCANCODE_8, KEY_INPUT_8},
    {SDL_SCANCODE_9, KEY_INPUT_9},
    {SDL_SCANCODE_HOME, KEY_INPUT_HOME},
    {SDL_SCANCODE_END, KEY_INPUT_END},
    {SDL_SCANCODE_PAGEUP, KEY_INPUT_PGUP},
    {SDL_SCANCODE_PAGEDOWN, KEY_INPUT_PGDN},
    {SDL_SCANCODE_PERIOD, KEY_INPUT_PERIOD},
    {SDL_SCANCODE_COMMA, KEY_INPUT_COMMA},
    {SDL_SCANCODE_MINUS, KEY_INPUT_MINUS},
    {SDL_SCANCODE_EQUALS, KEY_INPUT_EQUALS},
    {SDL_SCANCODE_LEFTBRACKET, KEY_INPUT_LBRACKET},
    {SDL_SCANCODE_RIGHTBRACKET, KEY_INPUT_RBRACKET},
    {SDL_SCANCODE_KP_PLUS, KEY_INPUT_ADD},
    {SDL_SCANCODE_KP_MINUS, KEY_INPUT_SUBTRACT},
};

void toLogical(int winX, int winY, int& x, int& y) {
    backend().toLogical(winX, winY, x, y);
}

} // namespace

int dxKeyFromScancode(SDL_Scancode sc) {
    for (const KeyPair& k : kKeys) {
        if (k.sdl == sc) {
            return k.dx;
        }
    }
    return -1;
}

void resetInputState() {
    State& s = st();
    s.keys.fill(false);
    s.altDown = false;
    s.mouseButtons = 0;
    s.wheel = 0;
}

void handleInputEvent(const SDL_Event& e) {
    State& s = st();
    switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const bool down = e.type == SDL_KEYDOWN;
        const int code = dxKeyFromScancode(e.key.keysym.scancode);
        if (code >= 0) {
            s.keys[std::size_t(code)] = down;
        }
        if (down) {
            keyInputOnKey(e.key.keysym.scancode);
        }
        break;
    }
    case SDL_TEXTINPUT:
        keyInputOnText(e.text.text);
        break;
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
            s.windowActive = false;
        } else if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
            s.windowActive = true;
        }
        break;
    // Every pad comes as a joystick first; whether SDL knows it as a controller is decided when it is opened.
    case SDL_JOYDEVICEADDED:
        padAdded(e.jdevice.which);
        break;
    case SDL_JOYDEVICEREMOVED:
        padRemoved(e.jdevice.which);
        break;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
        // Real pads are read directly when asked; scripted ones carry the state bit itself.
        if (e.cbutton.which == kScriptPadId && e.cbutton.button < 32) {
            const unsigned bit = 1u << e.cbutton.button;
            s.scriptPadBits =
                e.type == SDL_CONTROLLERBUTTONDOWN ? (s.scriptPadBits | bit) : (s.scriptPadBits & ~bit);
        }
        break;
    case SDL_MOUSEMOTION:
        toLogical(e.motion.x, e.motion.y, s.mouseX, s.mouseY);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        int bit = e.button.button == SDL_BUTTON_LEFT     ? 1
                  : e.button.button == SDL_BUTTON_RIGHT  ? 2
                  : e.button.button == SDL_BUTTON_MIDDLE ? 4
                                                         : 0;
        s.mouseButtons = e.type == SDL_MOUSEBUTTONDOWN ? (s.mouseButtons | bit) : (s.mouseButtons & ~bit);
        toLogical(e.button.x, e.button.y, s.mouseX, s.mouseY);
        break;
    }
    case SDL_MOUSEWHEEL:
        s.wheel += e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
        break;
    default:
        break;
    }
}

} // namespace dxi

using namespace dxi;

int dx_CheckHitKey(int keyCode) {
    State& s = st();
    if (keyCode < 0 || keyCode >= 256) {
        return 0;
    }
    const auto& keys = s.testOverride ? s.testKeys : s.keys;
    return keys[std::size_t(keyCode)] ? 1 : 0;
}

int dx_GetJoypadInputState(int padType) {
    State& s = st();
    if (s.testOverride) {
        return (padType == 1 && s.testPadAttached) ? s.testPad : 0;
    }
    if (padType != 1) {
        return 0;
    }
    int bits = 0;
    if (!s.pads.empty()) {
        bits = padState(s.pads.front());
    }
    if (s.scriptPad) {
        bits |= int(s.scriptPadBits);
    }
    return bits;
}

int dx_GetWindowActiveFlag() {
    return st().windowActive ? 1 : 0;
}

int dx_GetJoypadNum() {
    State& s = st();
    if (s.testOverride) {
        return s.testPadAttached ? 1 : 0;
    }
    return int(s.pads.size()) + (s.scriptPad && s.pads.empty() ? 1 : 0);
}

int dx_GetMouseInput() {
    return st().mouseButtons;
}

int dx_GetMousePoint(int* x, int* y) {
    if (x) {
        *x = st().mouseX;
    }
    if (y) {
        *y = st().mouseY;
    }
    return 0;
}

int dx_GetMouseWheelRotVol() {
    int steps = st().wheel;
    st().wheel = 0;
    return steps;
}

void dx_TestSetKeyState(const std::vector<int>& keysDown, int padState, bool padAttached) {
    State& s = st();
    s.testOverride = true;
    s.testKeys.fill(false);
    for (int k : keysDown) {
        if (k >= 0 && k < 256) {
            s.testKeys[std::size_t(k)] = true;
        }
    }
    s.testPad = padState;
    s.testPadAttached = padAttached;
}

void dx_TestClearKeyState() {
    State& s = st();
    s.testOverride = false;
    s.testKeys.fill(false);
    s.testPad = 0;
    s.testPadAttached = false;
}
