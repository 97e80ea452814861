// Text fields: typed characters from SDL text input, Backspace, Enter to end, Esc to cancel.
#include "DxState.h"

#include <algorithm>
#include <cstring>

namespace dxi {

namespace {

KeyInput* keyInput(int handle) {
    State& s = st();
    if (handle <= 0 || handle >= static_cast<int>(s.keyInputs.size()) ||
        !s.keyInputs[std::size_t(handle)].used) {
        return nullptr;
    }
    return &s.keyInputs[std::size_t(handle)];
}

KeyInput* activeInput() {
    KeyInput* in = keyInput(st().activeKeyInput);
    return (in && in->state == 0) ? in : nullptr;
}

void finish(KeyInput& in, int state) {
    in.state = state;
    st().activeKeyInput = -1;
    if (st().sdlUp) {
        SDL_StopTextInput();
    }
}

} // namespace

void keyInputOnText(const char* text) {
    KeyInput* in = activeInput();
    if (!in) {
        return;
    }
    // Character by character: one that the field does not take (not single-byte, not a digit, or past the
    // length) is counted, so the caller can tell the player.
    const std::size_t size = std::strlen(text);
    for (std::size_t i = 0; i < size;) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const std::size_t len = std::min<std::size_t>(c >= 0xf0   ? 4
                                                      : c >= 0xe0 ? 3
                                                      : c >= 0xc0 ? 2
                                                                  : 1,
                                                      size - i);
        const bool plain = c >= 0x20 && c < 0x7f;
        const bool wrongKind =
            ((in->singleByte || in->digits) && !plain) || (in->digits && (c < '0' || c > '9'));
        if (wrongKind || static_cast<int>(in->text.size() + len) > in->maxLen) {
            in->refused++;
        } else {
            // Multi-byte characters go in whole or not at all.
            in->text.append(text + i, len);
        }
        i += len;
    }
}

void keyInputOnKey(SDL_Scancode sc) {
    KeyInput* in = activeInput();
    if (!in) {
        return;
    }
    if (sc == SDL_SCANCODE_BACKSPACE) {
        // Remove one whole UTF-8 character.
        while (!in->text.empty()) {
            const unsigned char last = static_cast<unsigned char>(in->text.back());
            in->text.pop_back();
            if ((last & 0xc0) != 0x80) {
                break;
            }
        }
    } else if (sc == SDL_SCANCODE_RETURN || sc == SDL_SCANCODE_KP_ENTER) {
        finish(*in, 1);
    } else if (sc == SDL_SCANCODE_ESCAPE && in->cancelValid) {
        finish(*in, 2);
    }
}

void destroyAllKeyInputs() {
    st().keyInputs.clear();
    st().activeKeyInput = -1;
}

} // namespace dxi

using namespace dxi;

int dx_MakeKeyInput(int maxLength, int cancelValidFlag, int singleCharOnlyFlag, int numCharOnlyFlag) {
    State& s = st();
    KeyInput in;
    in.used = true;
    in.maxLen = maxLength > 0 ? maxLength : 0;
    in.cancelValid = cancelValidFlag != 0;
    in.singleByte = singleCharOnlyFlag != 0;
    in.digits = numCharOnlyFlag != 0;
    if (s.keyInputs.empty()) {
        s.keyInputs.emplace_back(); // handle 0 is never a text field
    }
    for (std::size_t i = 1; i < s.keyInputs.size(); ++i) {
        if (!s.keyInputs[i].used) {
            s.keyInputs[i] = in;
            return static_cast<int>(i);
        }
    }
    s.keyInputs.push_back(in);
    return static_cast<int>(s.keyInputs.size() - 1);
}

int dx_SetActiveKeyInput(int inputHandle) {
    State& s = st();
    KeyInput* in = keyInput(inputHandle);
    if (!in) {
        s.activeKeyInput = -1;
        if (s.sdlUp) {
            SDL_StopTextInput();
        }
        return inputHandle == -1 ? 0 : -1;
    }
    in->state = 0;
    s.activeKeyInput = inputHandle;
    if (s.sdlUp) {
        SDL_StartTextInput();
    }
    return 0;
}

int dx_CheckKeyInput(int inputHandle) {
    KeyInput* in = keyInput(inputHandle);
    return in ? in->state : -1;
}

int dx_GetKeyInputString(char* buffer, int inputHandle) {
    KeyInput* in = keyInput(inputHandle);
    if (!in || !buffer) {
        return -1;
    }
    std::memcpy(buffer, in->text.c_str(), in->text.size() + 1);
    return 0;
}

int dx_GetKeyInputRefusedCount(int inputHandle) {
    KeyInput* in = keyInput(inputHandle);
    return in ? in->refused : -1;
}

int dx_DrawKeyInputString(int x, int y, int inputHandle) {
    KeyInput* in = keyInput(inputHandle);
    if (!in) {
        return -1;
    }
    int font = defaultFontHandle();
    if (font < 0) {
        return -1;
    }
    const unsigned int white = 0xffffff;
    int width = 0;
    if (!in->text.empty()) {
        dx_DrawStringToHandle(x, y, in->text.c_str(), white, font);
        width = dx_GetDrawStringWidthToHandle(in->text.c_str(), static_cast<int>(in->text.size()), font);
    }
    if (st().activeKeyInput == inputHandle) {
        // The caret: a thin bar after the text.
        dx_DrawBox(x + width + 1, y, x + width + 3, y + st().defaultFontSize, white, 1);
    }
    return 0;
}

int dx_DrawKeyInputModeString(int, int) {
    return 0;
} // no input-method state to show

int dx_DeleteKeyInput(int inputHandle) {
    State& s = st();
    KeyInput* in = keyInput(inputHandle);
    if (!in) {
        return -1;
    }
    if (s.activeKeyInput == inputHandle) {
        finish(*in, in->state);
    }
    *in = KeyInput{};
    return 0;
}
