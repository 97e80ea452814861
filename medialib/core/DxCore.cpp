// Start-up, shutdown, the frame loop calls, the clock, errors and the call log.
#include "DxBackend.h"

#include <SDL_image.h>

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>

namespace dxi {

State& st() {
    static State state;
    return state;
}

void setError(const std::string& text) {
    st().lastError = text;
}

void logCall(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string line(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    std::vsnprintf(line.data(), line.size() + 1, format, args);
    va_end(args);
    st().log.push_back(std::move(line));
}

namespace {

// The backend in use; a null one while the layer is not started, so early calls draw nothing.
std::unique_ptr<Backend>& screen() {
    static std::unique_ptr<Backend> current = makeNullBackend();
    return current;
}

void stopEverything() {
    State& s = st();
    destroyAllKeyInputs();
    destroyAllFonts();
    destroyAllSounds();
    destroyAllGraphics();
    closeAllPads();
    screen()->close();
    screen() = makeNullBackend();
    if (s.audioUp) {
        Mix_CloseAudio();
        Mix_Quit();
        s.audioUp = false;
    }
    if (s.ttfUp) {
        TTF_Quit();
        s.ttfUp = false;
    }
    if (s.imgUp) {
        IMG_Quit();
        s.imgUp = false;
    }
    if (s.sdlUp) {
        SDL_StopTextInput();
        SDL_Quit();
        s.sdlUp = false;
    }
    s.initialised = false;
}

std::chrono::steady_clock::time_point processStart() {
    static const auto start = std::chrono::steady_clock::now();
    return start;
}

} // namespace

Backend& backend() {
    return *screen();
}

} // namespace dxi

using namespace dxi;

void dx_SetBackend(DxBackend backend) {
    st().backendKind = backend;
}
DxBackend dx_GetBackend() {
    return st().backendKind;
}

void dx_SetFrameLimit(int frames) {
    st().frameLimit = frames;
}
void dx_AddScreenshot(int frame, const std::string& path) {
    st().screenshots.emplace(frame, path);
}
int dx_GetFrameCount() {
    return st().processCalls;
}

void dx_SetCallLog(bool on) {
    st().callLog = on;
}
const std::vector<std::string>& dx_GetCallLog() {
    return st().log;
}
void dx_ClearCallLog() {
    st().log.clear();
}
std::string dx_GetLastError() {
    return st().lastError;
}

int dx_SetWindowIconID(int) {
    return 0;
}
int dx_SetMainWindowText(const char* text) {
    State& s = st();
    s.title = text ? text : "";
    backend().setTitle(s.title);
    return 0;
}
int dx_SetGraphMode(int, int, int, int) {
    return 0;
} // the logical screen is always 640x480
int dx_ChangeWindowMode(int windowed) {
    State& s = st();
    s.startFullScreen = windowed == 0;
    backend().setFullScreen(s.startFullScreen);
    return 0;
}
int dx_ChooseWindowScale(int w, int h) {
    return std::max(1, std::min(w / kScreenW, h / kScreenH));
}
int dx_SetStartWindowSize(int w, int h) {
    State& s = st();
    s.startWindowW = std::max(0, w);
    s.startWindowH = std::max(0, h);
    return 0;
}
int dx_GetWindowState(int* w, int* h, int* fullScreen) {
    int ww = 0, hh = 0;
    if (!st().initialised || !backend().windowSize(ww, hh)) {
        return -1;
    }
    *w = ww;
    *h = hh;
    *fullScreen = backend().fullScreen() ? 1 : 0;
    return 0;
}
int dx_SetUseFPUPreserveFlag(int) {
    return 0;
}
int dx_SetWaitVSyncFlag(int) {
    return 0;
}
int dx_SetTransColor(int red, int green, int blue) {
    State& s = st();
    s.transColorSet = true;
    s.transR = static_cast<Uint8>(red);
    s.transG = static_cast<Uint8>(green);
    s.transB = static_cast<Uint8>(blue);
    return 0;
}
int dx_SetDrawMode(int mode) {
    st().drawMode = mode;
    return 0;
}
int dx_GetDrawMode() {
    return st().drawMode;
}

int dx_DxLib_Init() {
    State& s = st();
    if (s.initialised) {
        return 0;
    }
    s.lastError.clear();
    s.closed = false;
    s.processCalls = 0;
    s.flipCount = 0;
    s.scriptNext = 0;
    s.scriptPadBits = 0;
    s.blendMode = 0;
    s.blendParam = 255;
    s.brightR = s.brightG = s.brightB = 255;
    s.clip = SDL_Rect{0, 0, kScreenW, kScreenH};
    resetInputState();

    screen() = s.backendKind == DxBackend::Null ? makeNullBackend()
                                                : makeSdlBackend(s.backendKind == DxBackend::Window);
    Uint32 flags = SDL_INIT_TIMER | SDL_INIT_EVENTS | SDL_INIT_VIDEO;
    if (backend().usesDevices()) {
        flags |= SDL_INIT_AUDIO | SDL_INIT_GAMECONTROLLER;
        SDL_ResetHint(SDL_HINT_VIDEODRIVER);
    } else {
        // No display here whatever the environment says.
        SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "dummy", SDL_HINT_OVERRIDE);
    }
    if (SDL_Init(flags) != 0) {
        setError(std::string("SDL cannot start: ") + SDL_GetError());
        SDL_Quit();
        screen() = makeNullBackend();
        return -1;
    }
    s.sdlUp = true;
    s.initialised = true;
    IMG_Init(IMG_INIT_PNG | IMG_INIT_JPG);
    s.imgUp = true;
    if (TTF_Init() != 0) {
        setError(std::string("cannot start the font engine: ") + TTF_GetError());
        stopEverything();
        return -1;
    }
    s.ttfUp = true;
    if (!backend().open()) {
        std::string error = s.lastError;
        stopEverything();
        setError(error);
        return -1;
    }
    if (backend().usesDevices()) {
        Mix_Init(MIX_INIT_MP3 | MIX_INIT_OGG);
        if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 1024) == 0) {
            Mix_AllocateChannels(64);
            s.audioUp = true;
        } else {
            // Play on without sound rather than refuse to start.
            std::fprintf(stderr, "tavoni: no sound: %s\n", Mix_GetError());
            Mix_Quit();
        }
    }
    SDL_StopTextInput(); // only while a text field is active
    return 0;
}

int dx_DxLib_End() {
    stopEverything();
    st().screenshots.clear(); // requests belong to one run
    return 0;
}

int dx_ProcessMessage() {
    State& s = st();
    if (s.closed) {
        return -1;
    }
    const int frame = s.processCalls;
    if (s.frameLimit >= 0 && frame >= s.frameLimit) {
        s.closed = true;
        return -1;
    }
    if (s.sdlUp) {
        injectScriptEvents(frame);
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
            if (e.type == SDL_QUIT) {
                s.closed = true;
            } else if (e.type == SDL_KEYDOWN && e.key.keysym.scancode == SDL_SCANCODE_F4 &&
                       (e.key.keysym.mod & KMOD_ALT) && !e.key.repeat) {
                // Alt+F4 closes the window under every window manager, as it does on Windows.
                s.closed = true;
            } else if (e.type == SDL_KEYDOWN && e.key.keysym.scancode == SDL_SCANCODE_RETURN &&
                       (e.key.keysym.mod & KMOD_ALT) && !e.key.repeat) {
                backend().setFullScreen(!backend().fullScreen());
            } else {
                handleInputEvent(e);
            }
        }
    }
    s.processCalls++;
    return s.closed ? -1 : 0;
}

int dx_ClsDrawScreen() {
    backend().clearScreen();
    return 0;
}

int dx_ClearDrawScreen() {
    return dx_ClsDrawScreen();
}

int dx_ScreenFlip() {
    State& s = st();
    const int frame = s.processCalls > 0 ? s.processCalls - 1 : s.flipCount;
    auto range = s.screenshots.equal_range(frame);
    for (auto it = range.first; it != range.second; ++it) {
        dx_SaveDrawScreenToPNG(0, 0, kScreenW, kScreenH, it->second.c_str());
    }
    backend().present();
    s.flipCount++;
    return 0;
}

int dx_SetDrawScreen(int) {
    backend().selectBackScreen();
    return 0;
}

int dx_GetNowCount(int) {
    if (st().sdlUp) {
        return static_cast<int>(SDL_GetTicks());
    }
    auto elapsed = std::chrono::steady_clock::now() - processStart();
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

long long dx_GetNowHiPerformanceCount(int) {
    auto elapsed = std::chrono::steady_clock::now() - processStart();
    return static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count());
}

void dx_Sleep(int milliseconds) {
    if (milliseconds > 0) {
        SDL_Delay(static_cast<Uint32>(milliseconds));
    }
}
