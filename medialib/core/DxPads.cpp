// Gamepads that come and go while the game runs: controllers SDL knows the layout of, and any other
// joystick read by its plain numbers, both turned into the same pad state word. The input script can plug in
// a virtual pad of either kind and press its buttons, so tests go through the same path as a real device.
#include "DxBackend.h"

#include <algorithm>

namespace dxi {

namespace {

constexpr int kDeadZone = 32767 / 3;
constexpr int kDownBit = 0, kLeftBit = 1, kRightBit = 2, kUpBit = 3, kFirstButtonBit = 4;
// Bits above this would not fit the int the game reads.
constexpr int kLastButtonBit = 30;

// Pad state bit (4 + n for button n + 1) of each SDL controller button, -1 for none.
int padButtonBit(int button) {
    switch (button) {
    case SDL_CONTROLLER_BUTTON_A:
        return 4;
    case SDL_CONTROLLER_BUTTON_B:
        return 5;
    case SDL_CONTROLLER_BUTTON_X:
        return 6;
    case SDL_CONTROLLER_BUTTON_Y:
        return 7;
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER:
        return 8;
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER:
        return 9;
    case SDL_CONTROLLER_BUTTON_BACK:
        return 10;
    case SDL_CONTROLLER_BUTTON_START:
        return 11;
    case SDL_CONTROLLER_BUTTON_LEFTSTICK:
        return 12;
    case SDL_CONTROLLER_BUTTON_RIGHTSTICK:
        return 13;
    case SDL_CONTROLLER_BUTTON_GUIDE:
        return 14;
    case SDL_CONTROLLER_BUTTON_MISC1:
        return 15;
    case SDL_CONTROLLER_BUTTON_PADDLE1:
        return 16;
    case SDL_CONTROLLER_BUTTON_PADDLE2:
        return 17;
    case SDL_CONTROLLER_BUTTON_PADDLE3:
        return 18;
    case SDL_CONTROLLER_BUTTON_PADDLE4:
        return 19;
    default:
        return -1;
    }
}

int directionBits(bool down, bool left, bool right, bool up) {
    return (down ? 1 << kDownBit : 0) | (left ? 1 << kLeftBit : 0) | (right ? 1 << kRightBit : 0) |
           (up ? 1 << kUpBit : 0);
}

int controllerState(SDL_GameController* pad) {
    auto pressed = [pad](SDL_GameControllerButton b) { return SDL_GameControllerGetButton(pad, b) != 0; };
    const int lx = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX);
    const int ly = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY);
    int bits = directionBits(pressed(SDL_CONTROLLER_BUTTON_DPAD_DOWN) || ly > kDeadZone,
                             pressed(SDL_CONTROLLER_BUTTON_DPAD_LEFT) || lx < -kDeadZone,
                             pressed(SDL_CONTROLLER_BUTTON_DPAD_RIGHT) || lx > kDeadZone,
                             pressed(SDL_CONTROLLER_BUTTON_DPAD_UP) || ly < -kDeadZone);
    for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) {
        const int bit = padButtonBit(b);
        if (bit >= 0 && pressed(static_cast<SDL_GameControllerButton>(b))) {
            bits |= 1 << bit;
        }
    }
    return bits;
}

// A joystick SDL has no layout for: button n is button n + 1, the first hat or the first two axes move.
int joystickState(SDL_Joystick* stick) {
    const Uint8 hat = SDL_JoystickNumHats(stick) > 0 ? SDL_JoystickGetHat(stick, 0) : SDL_HAT_CENTERED;
    const int axes = SDL_JoystickNumAxes(stick);
    const int x = axes > 0 ? SDL_JoystickGetAxis(stick, 0) : 0;
    const int y = axes > 1 ? SDL_JoystickGetAxis(stick, 1) : 0;
    int bits = directionBits((hat & SDL_HAT_DOWN) || y > kDeadZone, (hat & SDL_HAT_LEFT) || x < -kDeadZone,
                             (hat & SDL_HAT_RIGHT) || x > kDeadZone, (hat & SDL_HAT_UP) || y < -kDeadZone);
    const int buttons = std::min(SDL_JoystickNumButtons(stick), kLastButtonBit - kFirstButtonBit + 1);
    for (int b = 0; b < buttons; ++b) {
        if (SDL_JoystickGetButton(stick, b)) {
            bits |= 1 << (kFirstButtonBit + b);
        }
    }
    return bits;
}

void closePad(Pad& pad) {
    if (pad.controller) {
        SDL_GameControllerClose(pad.controller);
    }
    if (pad.joystick) {
        SDL_JoystickClose(pad.joystick);
    }
    pad = Pad{};
}

// The SDL device index of the joystick with instance `id`, -1 when it is gone.
int deviceIndexOf(SDL_JoystickID id) {
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
        if (SDL_JoystickGetDeviceInstanceID(i) == id) {
            return i;
        }
    }
    return -1;
}

} // namespace

void padAdded(int deviceIndex) {
    State& s = st();
    // A run without a window listens to its script's pads only, never to a device on the machine.
    if (!backend().usesDevices() && !SDL_JoystickIsVirtual(deviceIndex)) {
        return;
    }
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    if (id < 0 || std::any_of(s.pads.begin(), s.pads.end(), [id](const Pad& p) { return p.id == id; })) {
        return;
    }
    Pad pad;
    pad.id = id;
    if (SDL_IsGameController(deviceIndex)) {
        pad.controller = SDL_GameControllerOpen(deviceIndex);
    } else {
        pad.joystick = SDL_JoystickOpen(deviceIndex);
    }
    if (pad.controller || pad.joystick) {
        s.pads.push_back(pad);
    }
}

void padRemoved(SDL_JoystickID id) {
    State& s = st();
    // Its buttons go with it: the state word is read from the open pads only.
    auto it = std::find_if(s.pads.begin(), s.pads.end(), [id](const Pad& p) { return p.id == id; });
    if (it != s.pads.end()) {
        closePad(*it);
        s.pads.erase(it);
    }
}

int padState(const Pad& pad) {
    return pad.controller ? controllerState(pad.controller) : joystickState(pad.joystick);
}

void closeAllPads() {
    detachScriptPad();
    for (Pad& pad : st().pads) {
        closePad(pad);
    }
    st().pads.clear();
}

bool attachScriptPad(bool controller, std::string& error) {
    State& s = st();
    if (s.scriptDevice) {
        return true;
    }
    // Runs without a window start without the pad subsystem; the first scripted pad brings it up.
    if (!SDL_WasInit(SDL_INIT_GAMECONTROLLER) && SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        error = std::string("no pads: ") + SDL_GetError();
        return false;
    }
    // A controller gets SDL's own layout (its buttons numbered as SDL_GameControllerButton); a joystick of
    // unknown type gets none, so the game reads it by its numbers.
    const int index =
        SDL_JoystickAttachVirtual(controller ? SDL_JOYSTICK_TYPE_GAMECONTROLLER : SDL_JOYSTICK_TYPE_UNKNOWN,
                                  2, SDL_CONTROLLER_BUTTON_MAX, 1);
    if (index < 0) {
        error = std::string("cannot plug in a virtual pad: ") + SDL_GetError();
        return false;
    }
    s.scriptDevice = SDL_JoystickOpen(index);
    if (!s.scriptDevice) {
        error = std::string("cannot open the virtual pad: ") + SDL_GetError();
        SDL_JoystickDetachVirtual(index);
        return false;
    }
    s.scriptDeviceIsController = controller;
    s.scriptDeviceHat = SDL_HAT_CENTERED;
    return true;
}

void detachScriptPad() {
    State& s = st();
    if (!s.scriptDevice) {
        return;
    }
    const int index = deviceIndexOf(SDL_JoystickInstanceID(s.scriptDevice));
    SDL_JoystickClose(s.scriptDevice);
    s.scriptDevice = nullptr;
    if (index >= 0) {
        SDL_JoystickDetachVirtual(index);
    }
}

void pressScriptPad(int bit, bool down) {
    State& s = st();
    SDL_Joystick* device = s.scriptDevice;
    if (!device) {
        return;
    }
    if (bit <= kUpBit) {
        if (s.scriptDeviceIsController) {
            static constexpr SDL_GameControllerButton kDpad[] = {
                SDL_CONTROLLER_BUTTON_DPAD_DOWN, SDL_CONTROLLER_BUTTON_DPAD_LEFT,
                SDL_CONTROLLER_BUTTON_DPAD_RIGHT, SDL_CONTROLLER_BUTTON_DPAD_UP};
            SDL_JoystickSetVirtualButton(device, kDpad[bit], down ? SDL_PRESSED : SDL_RELEASED);
        } else {
            static constexpr Uint8 kHat[] = {SDL_HAT_DOWN, SDL_HAT_LEFT, SDL_HAT_RIGHT, SDL_HAT_UP};
            s.scriptDeviceHat =
                down ? Uint8(s.scriptDeviceHat | kHat[bit]) : Uint8(s.scriptDeviceHat & ~kHat[bit]);
            SDL_JoystickSetVirtualHat(device, 0, s.scriptDeviceHat);
        }
        return;
    }
    int button = bit - kFirstButtonBit;
    if (s.scriptDeviceIsController) {
        button = -1;
        for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) {
            if (padButtonBit(b) == bit) {
                button = b;
            }
        }
    }
    if (button >= 0 && button < SDL_JoystickNumButtons(device)) {
        SDL_JoystickSetVirtualButton(device, button, down ? SDL_PRESSED : SDL_RELEASED);
    }
}

} // namespace dxi
