// The game's media layer: window, drawing, fonts, text input, sound, keyboard, gamepad and clock.
// Plain ints, handles and C strings only; no SDL type ever crosses this header.
// Handles are ints from per-kind tables; -1 means failure.
#pragma once

#include <string>
#include <vector>

// ---- backends and harness controls (chosen before dx_DxLib_Init) --------------------------------------

enum class DxBackend {
    Window,    // a real window with sound
    Offscreen, // SDL's dummy video driver and a software renderer: real pixels, no display, no sound
    Null,      // no renderer: images are read for their sizes only, every draw returns at once
};

void dx_SetBackend(DxBackend backend);
DxBackend dx_GetBackend();

// Scripted input: a file of "<frame> down|up|tap <key>" and "<frame> text <chars>" lines. Returns false
// and fills `error` ("<file>:<line>: <what>") when the file cannot be read or a line is malformed.
// Events of frame N are pushed as SDL events by the dx_ProcessMessage call that begins frame N (its
// 0-based index), so they are visible to dx_CheckHitKey during frame N. Keys: A..Z, Left Right Up Down
// Escape Return Space Backspace F1..F12; pad: Pad1..Pad16 (state bit 4+n-1), PadLeft PadRight PadUp PadDown.
// While the script names any pad key, pad 1 counts as attached (dx_GetJoypadNum() >= 1). Calling it again
// replaces the script; it is kept over dx_DxLib_End/Init and restarts from frame 0 at dx_DxLib_Init.
bool dx_LoadInputScript(const std::string& path, std::string& error);
// The same from text already in memory (tests).
bool dx_SetInputScript(const std::string& text, std::string& error);
// After `frames` calls, dx_ProcessMessage reports the window as closed. Negative: no limit.
void dx_SetFrameLimit(int frames);
// After frame `frame` is drawn, save the screen as a 640 x 480 PNG. The frame is the 0-based index of the
// dx_ProcessMessage call that began it (the count of dx_ScreenFlip calls before any dx_ProcessMessage); the
// file is written by that frame's dx_ScreenFlip. The null backend has no pixels and writes a black picture.
void dx_AddScreenshot(int frame, const std::string& path);
// Frames completed so far (dx_ProcessMessage calls that started a frame).
int dx_GetFrameCount();

// Call log (every backend): when on, each of the calls below appends one line, its arguments in call order,
// ints with %d, doubles with %g, colours as 0x%06x (lower-case hex), texts in double quotes as given:
//   DrawGraph(x,y,h,trans)                     "DrawGraph(10,20,5,1)"
//   DrawTurnGraph(x,y,h,trans)                 "DrawTurnGraph(10,20,5,1)"
//   DrawRotaGraph(x,y,scale,angle,h,trans,turn) "DrawRotaGraph(100,50,1.5,0.785398,5,1,0)"
//   DrawExtendGraph(x1,y1,x2,y2,h,trans)       "DrawExtendGraph(0,0,64,32,5,1)"
//   DrawRectGraph(dx,dy,sx,sy,w,h,h,trans,turn) "DrawRectGraph(0,0,16,0,16,16,5,1,0)"
//   DrawBox(x1,y1,x2,y2,color,fill)            "DrawBox(0,0,640,480,0x000000,1)"
//   DrawLine(x1,y1,x2,y2,color)                "DrawLine(0,0,10,10,0xff0000)"
//   SetDrawBlendMode(mode,param)               "SetDrawBlendMode(1,128)"
//   SetDrawBright(r,g,b)                       "SetDrawBright(255,128,0)"
//   SetDrawArea(x1,y1,x2,y2)                   "SetDrawArea(0,0,640,480)"
//   DrawStringToHandle(x,y,"text",color,font,edgeColor,vertical)
//                                              "DrawStringToHandle(8,4,\"HP\",0xffffff,3,0x000000,0)"
//   DrawString(x,y,"text",color,edgeColor)     "DrawString(0,0,\"hi\",0xffffff,0x000000)"
//   LoadSoundMem("path",bufferNum,unionHandle) "LoadSoundMem(\"dat/se/hit.wav\",3,-1)"
//   PlaySoundMem(h,playType,topPosition)       "PlaySoundMem(7,1,1)"
//   StopSoundMem(h)  DeleteSoundMem(h)         "StopSoundMem(7)"
//   ChangeVolumeSoundMem(volume,h)             "ChangeVolumeSoundMem(200,7)"
//   SetFrequencySoundMem(hertz,h)              "SetFrequencySoundMem(22050,7)"
// A call is logged even when its handle is bad. dx_DrawKeyInputString draws through DrawStringToHandle and
// DrawBox (the caret), so those lines appear too.
void dx_SetCallLog(bool on);
const std::vector<std::string>& dx_GetCallLog();
void dx_ClearCallLog();

// Last error text of the media layer (a failed load, a missing font...), empty when none.
std::string dx_GetLastError();

// ---- start and end ------------------------------------------------------------------------------------

int dx_SetWindowIconID(int id);
int dx_SetMainWindowText(const char* text);
int dx_SetGraphMode(int width, int height, int colorBits, int refreshRate);
int dx_ChangeWindowMode(int windowed);
// The largest whole-number multiple of 640 x 480 that fits an area of w x h (at least 1).
int dx_ChooseWindowScale(int w, int h);
// The window's size at start, before dx_DxLib_Init (0 x 0: the largest multiple that fits the desktop).
int dx_SetStartWindowSize(int w, int h);
// The window's size (as it is when not full screen) and whether it is full screen; -1 without a window.
int dx_GetWindowState(int* w, int* h, int* fullScreen);
int dx_SetUseFPUPreserveFlag(int flag);
int dx_SetWaitVSyncFlag(int flag);
int dx_DxLib_Init();
int dx_SetTransColor(int red, int green, int blue);
int dx_SetDrawMode(int mode); // 0 nearest, 1 bilinear
int dx_GetDrawMode();
int dx_DxLib_End();

// ---- frame --------------------------------------------------------------------------------------------

int dx_ProcessMessage(); // 0 while running, -1 when the window is closing
int dx_ClsDrawScreen();
int dx_ClearDrawScreen();
int dx_ScreenFlip();
int dx_SetDrawScreen(int screen); // -2 = back screen
int dx_GetNowCount(int useRDTSC = 0);
void dx_Sleep(int milliseconds);
long long dx_GetNowHiPerformanceCount(int useRDTSC = 0); // microseconds of a steady clock

// ---- images -------------------------------------------------------------------------------------------

int dx_LoadGraph(const char* path, int notUse3DFlag = 0);
int dx_LoadDivGraph(const char* path, int allNum, int xNum, int yNum, int xSize, int ySize, int* handles);
int dx_DerivationGraph(int srcX, int srcY, int width, int height, int srcHandle);
int dx_MakeGraph(int width, int height);
int dx_GetDrawScreenGraph(int x1, int y1, int x2, int y2, int handle);
int dx_GetGraphSize(int handle, int* width, int* height);
int dx_DeleteGraph(int handle);
// Image handles made and not yet deleted; tests use it to find leaked handles.
int dx_GetLiveGraphCount();
int dx_LoadMask(const char* path);
int dx_SaveDrawScreenToPNG(int x1, int y1, int x2, int y2, const char* path);
unsigned int dx_GetPixel(int x, int y); // the back screen's colour at (x, y) as 0x00RRGGBB

// ---- drawing ------------------------------------------------------------------------------------------

int dx_DrawGraph(int x, int y, int handle, int trans);
int dx_DrawTurnGraph(int x, int y, int handle, int trans);
int dx_DrawRotaGraph(int x, int y, double scale, double angleRadians, int handle, int trans, int turn = 0);
int dx_DrawExtendGraph(int x1, int y1, int x2, int y2, int handle, int trans);
int dx_DrawRectGraph(int destX, int destY, int srcX, int srcY, int width, int height, int handle, int trans,
                     int turn);
int dx_DrawBox(int x1, int y1, int x2, int y2, unsigned int color, int fill);
int dx_DrawLine(int x1, int y1, int x2, int y2, unsigned int color);
int dx_SetDrawBlendMode(int mode, int param); // 0 none, 1 alpha (param 0..255), 2 add
int dx_SetDrawBright(int red, int green, int blue);
int dx_SetDrawArea(int x1, int y1, int x2, int y2);
unsigned int dx_GetColor(int red, int green, int blue);

// ---- text ---------------------------------------------------------------------------------------------

enum {
    DX_FONTTYPE_NORMAL = 0,
    DX_FONTTYPE_EDGE = 1,
    DX_FONTTYPE_ANTIALIASING = 2,
    DX_FONTTYPE_ANTIALIASING_EDGE = 3,
};

int dx_CreateFontToHandle(const char* fontName, int size, int thick, int fontType = -1, int charSet = -1,
                          int edgeSize = -1, int italic = 0);
int dx_DrawStringToHandle(int x, int y, const char* text, unsigned int color, int fontHandle,
                          unsigned int edgeColor = 0, int verticalFlag = 0);
int dx_GetDrawStringWidthToHandle(const char* text, int byteLength, int fontHandle);
int dx_GetFontStateToHandle(char* fontName, int* size, int* thick, int fontHandle);
int dx_SetFontSize(int size);
int dx_SetFontThickness(int thick);
int dx_DrawString(int x, int y, const char* text, unsigned int color, unsigned int edgeColor = 0);

// ---- text input ---------------------------------------------------------------------------------------

int dx_MakeKeyInput(int maxLength, int cancelValidFlag, int singleCharOnlyFlag, int numCharOnlyFlag);
int dx_SetActiveKeyInput(int inputHandle);
int dx_CheckKeyInput(int inputHandle); // 0 still typing, 1 ended with Enter, 2 cancelled with Esc
int dx_GetKeyInputString(char* buffer, int inputHandle);
// Characters typed into the field that it did not take (the wrong kind, or past its length), counted since
// it was made; -1 for a bad handle.
int dx_GetKeyInputRefusedCount(int inputHandle);
int dx_DrawKeyInputString(int x, int y, int inputHandle);
int dx_DrawKeyInputModeString(int x, int y);
int dx_DeleteKeyInput(int inputHandle);

// ---- sound --------------------------------------------------------------------------------------------

enum {
    DX_PLAYTYPE_NORMAL = 0,
    DX_PLAYTYPE_BACK = 1,
    DX_PLAYTYPE_LOOP = 3,
};

int dx_SetCreateSoundDataType(int type);
int dx_LoadSoundMem(const char* path, int bufferNum = 3, int unionHandle = -1);
int dx_PlaySoundMem(int handle, int playType, int topPositionFlag = 1);
int dx_StopSoundMem(int handle);
int dx_CheckSoundMem(int handle);                    // 1 playing, 0 not, -1 bad handle
int dx_ChangeVolumeSoundMem(int volume, int handle); // 0 silent .. 255 full, on a decibel curve
// The mixer level (0..128) that a volume of 0..255 plays at, with an amplitude gain of 0..100 % on top.
int dx_MixerVolume(int volume, int gainPercent = 100);
// Not in the original library: the player's volume setting, an amplitude gain of 0..100 % applied on top of
// the handle's volume, at once to what is playing and to what plays next (50 % is 6 dB quieter).
int dx_SetVolumeGainSoundMem(int gainPercent, int handle);
int dx_GetMixerVolumeSoundMem(int handle); // the mixer level (0..128) the handle plays at, -1 bad handle
int dx_SetFrequencySoundMem(int hertz, int handle);
int dx_DeleteSoundMem(int handle, int logOutFlag = 0);

// ---- input --------------------------------------------------------------------------------------------

// Keyboard codes are scan codes as the original library numbers them.
enum {
    KEY_INPUT_BACK = 0x0E,
    KEY_INPUT_TAB = 0x0F,
    KEY_INPUT_RETURN = 0x1C,
    KEY_INPUT_LSHIFT = 0x2A,
    KEY_INPUT_RSHIFT = 0x36,
    KEY_INPUT_LCONTROL = 0x1D,
    KEY_INPUT_RCONTROL = 0x9D,
    KEY_INPUT_ESCAPE = 0x01,
    KEY_INPUT_SPACE = 0x39,
    KEY_INPUT_LEFT = 0xCB,
    KEY_INPUT_UP = 0xC8,
    KEY_INPUT_RIGHT = 0xCD,
    KEY_INPUT_DOWN = 0xD0,
    KEY_INPUT_F1 = 0x3B,
    KEY_INPUT_F2 = 0x3C,
    KEY_INPUT_F3 = 0x3D,
    KEY_INPUT_F4 = 0x3E,
    KEY_INPUT_F5 = 0x3F,
    KEY_INPUT_F6 = 0x40,
    KEY_INPUT_F7 = 0x41,
    KEY_INPUT_F8 = 0x42,
    KEY_INPUT_F9 = 0x43,
    KEY_INPUT_F10 = 0x44,
    KEY_INPUT_F11 = 0x57,
    KEY_INPUT_F12 = 0x58,
    KEY_INPUT_A = 0x1E,
    KEY_INPUT_B = 0x30,
    KEY_INPUT_C = 0x2E,
    KEY_INPUT_D = 0x20,
    KEY_INPUT_E = 0x12,
    KEY_INPUT_F = 0x21,
    KEY_INPUT_G = 0x22,
    KEY_INPUT_H = 0x23,
    KEY_INPUT_I = 0x17,
    KEY_INPUT_J = 0x24,
    KEY_INPUT_K = 0x25,
    KEY_INPUT_L = 0x26,
    KEY_INPUT_M = 0x32,
    KEY_INPUT_N = 0x31,
    KEY_INPUT_O = 0x18,
    KEY_INPUT_P = 0x19,
    KEY_INPUT_Q = 0x10,
    KEY_INPUT_R = 0x13,
    KEY_INPUT_S = 0x1F,
    KEY_INPUT_T = 0x14,
    KEY_INPUT_U = 0x16,
    KEY_INPUT_V = 0x2F,
    KEY_INPUT_W = 0x11,
    KEY_INPUT_X = 0x2D,
    KEY_INPUT_Y = 0x15,
    KEY_INPUT_Z = 0x2C,
    KEY_INPUT_0 = 0x0B,
    KEY_INPUT_1 = 0x02,
    KEY_INPUT_2 = 0x03,
    KEY_INPUT_3 = 0x04,
    KEY_INPUT_4 = 0x05,
    KEY_INPUT_5 = 0x06,
    KEY_INPUT_6 = 0x07,
    KEY_INPUT_7 = 0x08,
    KEY_INPUT_8 = 0x09,
    KEY_INPUT_9 = 0x0A,
    KEY_INPUT_HOME = 0xC7,
    KEY_INPUT_END = 0xCF,
    KEY_INPUT_PGUP = 0xC9,
    KEY_INPUT_PGDN = 0xD1,
    KEY_INPUT_PERIOD = 0x34,
    KEY_INPUT_COMMA = 0x33,
    KEY_INPUT_MINUS = 0x0C,
    KEY_INPUT_EQUALS = 0x0D,
    KEY_INPUT_LBRACKET = 0x1A,
    KEY_INPUT_RBRACKET = 0x1B,
    KEY_INPUT_ADD = 0x4E,      // the keypad's +
    KEY_INPUT_SUBTRACT = 0x4A, // the keypad's -
};

// Pad state word bits.
enum {
    PAD_INPUT_DOWN = 0x1,
    PAD_INPUT_LEFT = 0x2,
    PAD_INPUT_RIGHT = 0x4,
    PAD_INPUT_UP = 0x8,
    PAD_INPUT_1 = 0x10, // button n + 1 is bit 4 + n
};

int dx_CheckHitKey(int keyCode); // 1 while the key is down
int dx_GetJoypadInputState(int padType);
// 1 while the window has the keyboard focus (always 1 without a window).
int dx_GetWindowActiveFlag();         // padType 1 = first pad; 0 when no pad is attached
int dx_GetJoypadNum();                // attached pads
int dx_GetMouseInput();               // bit 0 left, bit 1 right, bit 2 middle
int dx_GetMousePoint(int* x, int* y); // in the 640 x 480 logical screen
int dx_GetMouseWheelRotVol();         // wheel steps since the last call

// Test hook: replace the keyboard and pad state for the next frames (no SDL events involved). Used by unit
// tests of input code that have no window; `keys` holds the codes that are down.
void dx_TestSetKeyState(const std::vector<int>& keysDown, int padState, bool padAttached);
void dx_TestClearKeyState();
