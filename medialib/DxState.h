// Private state of the media layer, shared by its pieces. Only medialib/ includes this header.
#pragma once

#include <SDL.h>
#include <SDL_mixer.h>
#include <SDL_ttf.h>

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "dx/DxLib.h"

namespace dxi {

constexpr int kScreenW = 640;
constexpr int kScreenH = 480;

// A decoded picture shared by every handle cut from it (a sheet and its chips).
struct Texture {
    // Magenta pixels get alpha 0 but keep their colour, so a draw without blending (trans=0) still
    // shows them as magenta. nullptr when the backend has no pixels.
    SDL_Texture* tex = nullptr;
    int w = 0, h = 0;
    int refs = 0;
    bool target = false; // a render target made by dx_MakeGraph
    SDL_ScaleMode scale = SDL_ScaleModeNearest;
};

// One image handle: a sub-rectangle of a texture.
struct Image {
    int tex = -1; // index into State::textures, -1 for a free slot
    int x = 0, y = 0, w = 0, h = 0;
};

struct Font {
    bool used = false;
    TTF_Font* face = nullptr;
    TTF_Font* outline = nullptr; // the same face with an outline, for the edge types
    std::string name;
    int size = 16, thick = 0, type = 0, edge = 0;
};

struct Sound {
    bool used = false;
    std::string path;
    Mix_Chunk* chunk = nullptr;     // the sample as loaded
    Mix_Chunk* resampled = nullptr; // after dx_SetFrequencySoundMem, played instead of `chunk`
    std::vector<Uint8> resampledData;
    std::vector<int> channels; // one per buffer, -1 when idle
    int next = 0;              // the buffer to use when all are busy (the oldest)
    int volume = 255;
    int gainPercent = 100; // the player's volume setting on top of `volume`, as an amplitude
    int frequency = -1;
    int sourceRate = 0; // the file's own sample rate, 0 when unknown (played as the device rate)
};

struct KeyInput {
    bool used = false;
    int maxLen = 0;
    bool cancelValid = false, singleByte = false, digits = false;
    std::string text;
    int state = 0;   // 0 typing, 1 ended, 2 cancelled
    int refused = 0; // characters typed that the field did not take
};

struct ScriptEvent {
    int frame = 0;
    enum Kind {
        KeyDown,
        KeyUp,
        PadDown,
        PadUp,
        Text,
        FocusOut,
        FocusIn,
        PadAttach,
        PadDetach,
        Close,
        Signal,
        MouseDown,
        MouseUp
    } kind = KeyDown;
    // SDL scancode, pad bit index, for PadAttach 1 for a controller and 0 for a joystick,
    // for Signal the signal's number, for the mouse the x of the 640 x 480 screen
    int code = 0;
    int y = 0; // the mouse's

    std::string text;
};

// A gamepad SDL knows the layout of (a controller), or else a plain joystick read by its numbers.
struct Pad {
    SDL_JoystickID id = -1;
    SDL_GameController* controller = nullptr;
    SDL_Joystick* joystick = nullptr;
};

// Pushed controller events with this `which` come from the input script, not a device.
constexpr SDL_JoystickID kScriptPadId = 0x7ffffff0;

struct State {
    DxBackend backendKind = DxBackend::Window; // the backend dx_DxLib_Init makes
    bool initialised = false;
    bool sdlUp = false, imgUp = false, ttfUp = false, audioUp = false;
    std::string title = "tavoni";
    bool startFullScreen = false;
    // The window's size at start (0: the largest whole multiple of 640 x 480 that fits the desktop).
    int startWindowW = 0, startWindowH = 0;
    // Alt held by the input script, for Alt+Return.
    bool scriptAlt = false;
    // Whether the window has the keyboard focus (a window without focus pauses a run).
    bool windowActive = true;
    bool transColorSet = false;
    Uint8 transR = 255, transG = 0, transB = 255;
    int drawMode = 0;

    // Drawing state kept until changed.
    int blendMode = 0, blendParam = 255;
    int brightR = 255, brightG = 255, brightB = 255;
    SDL_Rect clip{0, 0, kScreenW, kScreenH};

    std::vector<Texture> textures;
    std::vector<Image> images;
    std::vector<int> freeImages;

    std::vector<Font> fonts;
    int defaultFont = -1;
    int defaultFontSize = 16, defaultFontThick = 6;

    std::vector<Sound> sounds;

    std::vector<KeyInput> keyInputs;
    int activeKeyInput = -1;

    // Frames.
    int processCalls = 0;
    int flipCount = 0;
    int frameLimit = -1;
    bool closed = false;
    std::multimap<int, std::string> screenshots;

    // Scripted input, sorted by frame.
    std::vector<ScriptEvent> script;
    std::size_t scriptNext = 0;
    bool scriptPad = false;
    unsigned scriptPadBits = 0;

    // Keyboard, pads, mouse.
    std::array<bool, 256> keys{};
    bool altDown = false;
    // Attached pads in the order they came; the first is pad 1.
    std::vector<Pad> pads;
    // The virtual pad the input script plugged in, held open to press its buttons.
    SDL_Joystick* scriptDevice = nullptr;
    bool scriptDeviceIsController = false;
    Uint8 scriptDeviceHat = 0;
    int mouseX = 0, mouseY = 0, mouseButtons = 0, wheel = 0;

    bool testOverride = false;
    std::array<bool, 256> testKeys{};
    int testPad = 0;
    bool testPadAttached = false;

    bool callLog = false;
    std::vector<std::string> log;
    std::string lastError;
};

State& st();

void setError(const std::string& text);
// Appends one call-log line when logging is on (printf-style).
void logCall(const char* format, ...) __attribute__((format(printf, 1, 2)));
inline bool logging() {
    return st().callLog;
}

// Graphics internals used by the other pieces.
Image* image(int handle);
void destroyAllGraphics();

// Text internals.
void destroyAllFonts();
int defaultFontHandle();

// Sound internals.
void destroyAllSounds();

// Input internals.
int dxKeyFromScancode(SDL_Scancode sc);
void handleInputEvent(const SDL_Event& e);
void padAdded(int deviceIndex);
void padRemoved(SDL_JoystickID id);
// The pad state word of one pad (bit 0 down, 1 left, 2 right, 3 up, 4 + n button n + 1).
int padState(const Pad& pad);
void closeAllPads();
// The input script's virtual pad: plugged in, pulled out, its buttons (by pad state bit) pressed.
bool attachScriptPad(bool controller, std::string& error);
void detachScriptPad();
void pressScriptPad(int bit, bool down);
void resetInputState();
// Text input internals.
void keyInputOnText(const char* text);
void keyInputOnKey(SDL_Scancode sc);
void destroyAllKeyInputs();

// Scripted input.
void injectScriptEvents(int frame);
void resetScript();

// A picture file's size without decoding its pixels (PNG header; other formats are decoded once).
bool readImageSize(const char* path, int& w, int& h);

} // namespace dxi
