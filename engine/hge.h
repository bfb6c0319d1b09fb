// The engine interface: the one seam between the game and the platform.
//
// The game reaches windowing, drawing, sound, input, timing, random numbers,
// the INI file and resource files only through the HGE object returned by
// hgeCreate(HGE_VERSION). The object is process-wide and reference counted:
// every hgeCreate adds a reference, every Release drops one, and the last
// Release destroys it (shutting the engine down if it is still running).
//
// Two backends sit behind it, chosen when the object is first created (see
// engine/options.h): "window" (SDL2 + OpenGL + SDL2_mixer) and "headless"
// (fixed 1/60 s clock, recorded quads, scripted input, silent audio).
#pragma once

#include <cstdint>

using DWORD = std::uint32_t;

// Opaque handles; a stale one is detected and ignored instead of touching a
// newer object. Texture handles come from one process-wide counter and do
// not repeat before 2^32 textures. Effect, stream and channel handles carry a
// 20-bit generation of their slot (engine/audio_handles.h), so a handle
// repeats only after its slot has been reused about a million times.
using HTEXTURE = DWORD;
using HEFFECT = DWORD;
using HSTREAM = DWORD;
using HCHANNEL = DWORD;

constexpr int HGE_VERSION = 0x180;

// Blend bits of a quad. Scripts pass modes; mask them with 7.
constexpr int BLEND_COLORADD = 1;    // rgb = texel + vertex (clamped); else texel * vertex
constexpr int BLEND_ALPHABLEND = 2;  // src alpha / one minus src alpha; else additive
constexpr int BLEND_ZWRITE = 4;      // accepted and ignored: quads draw in submission order
constexpr int BLEND_DEFAULT = BLEND_ALPHABLEND;

// One corner of a quad. col is 0xAARRGGBB.
struct hgeVertex {
  float x, y;
  float z;
  DWORD col;
  float tx, ty;
};

// v[0] top-left, v[1] top-right, v[2] bottom-right, v[3] bottom-left.
struct hgeQuad {
  hgeVertex v[4];
  HTEXTURE tex;
  int blend;
};

using hgeCallback = bool (*)();

// Only states with an effect are offered (and HGE_SCREENBPP, which the game
// sets: the window is always 32-bit).
enum hgeBoolState {
  HGE_WINDOWED = 1,
  HGE_TEXTUREFILTER,
  HGE_USESOUND,
  HGE_DONTSUSPEND,
  HGE_HIDEMOUSE,
};

enum hgeFuncState {
  HGE_FRAMEFUNC = 16,
  HGE_RENDERFUNC,
  // Asked when the window is closed or SIGINT or SIGTERM arrives; returning
  // false keeps the loop running.
  HGE_EXITFUNC,
};

enum hgeIntState {
  HGE_SCREENWIDTH = 32,
  HGE_SCREENHEIGHT,
  HGE_SCREENBPP,
  HGE_FPS,
};

enum hgeStringState {
  HGE_TITLE = 48,
  HGE_INIFILE,
};

// Window handle state. The window backend answers with its SDL_Window*;
// the headless backend with null.
enum hgeHwndState {
  HGE_HWND = 64,
};

// Key codes are Windows virtual-key numbers: config.ini stores them.
enum : int {
  HGEK_BACKSPACE = 8,
  HGEK_TAB = 9,
  HGEK_ENTER = 13,
  HGEK_SHIFT = 16,
  HGEK_CTRL = 17,
  HGEK_ALT = 18,
  HGEK_PAUSE = 19,
  HGEK_CAPSLOCK = 20,
  HGEK_ESCAPE = 27,
  HGEK_SPACE = 32,
  HGEK_PGUP = 33,
  HGEK_PGDN = 34,
  HGEK_END = 35,
  HGEK_HOME = 36,
  HGEK_LEFT = 37,
  HGEK_UP = 38,
  HGEK_RIGHT = 39,
  HGEK_DOWN = 40,
  HGEK_INSERT = 45,
  HGEK_DELETE = 46,
  HGEK_0 = 48,
  HGEK_A = 65,
  HGEK_NUMPAD0 = 96,
  HGEK_MULTIPLY = 106,
  HGEK_ADD = 107,
  HGEK_SUBTRACT = 109,
  HGEK_DECIMAL = 110,
  HGEK_DIVIDE = 111,
  HGEK_F1 = 112,
  HGEK_NUMLOCK = 144,
  HGEK_SCROLLLOCK = 145,
  HGEK_SEMICOLON = 186,
  HGEK_EQUALS = 187,
  HGEK_COMMA = 188,
  HGEK_MINUS = 189,
  HGEK_PERIOD = 190,
  HGEK_SLASH = 191,
  HGEK_GRAVE = 192,
  HGEK_LBRACKET = 219,
  HGEK_BACKSLASH = 220,
  HGEK_RBRACKET = 221,
  HGEK_APOSTROPHE = 222,
};

// Gamepad button bits, one 16-bit word per pad (see Input_GetPadState).
enum : unsigned {
  HGEPAD_DPAD_UP = 0x0001,
  HGEPAD_DPAD_DOWN = 0x0002,
  HGEPAD_DPAD_LEFT = 0x0004,
  HGEPAD_DPAD_RIGHT = 0x0008,
  HGEPAD_START = 0x0010,
  HGEPAD_BACK = 0x0020,
  HGEPAD_LEFT_THUMB = 0x0040,
  HGEPAD_RIGHT_THUMB = 0x0080,
  HGEPAD_LEFT_SHOULDER = 0x0100,
  HGEPAD_RIGHT_SHOULDER = 0x0200,
  HGEPAD_A = 0x1000,
  HGEPAD_B = 0x2000,
  HGEPAD_X = 0x4000,
  HGEPAD_Y = 0x8000,
};

struct hgePadState {
  bool connected;
  unsigned buttons;
};

// All 8-bit file names are code page 936 bytes; they go through the path
// resolver (engine/paths.h). Every call given a 0 handle is a no-op that
// returns 0/false.
class HGE {
 public:
  virtual ~HGE() = default;
  virtual void Release() = 0;

  // System. System_Initiate opens the window (or the headless backend); it
  // fails when no display shows the window, unless SDL_VIDEODRIVER chose the
  // video driver. System_Start runs the loop until the frame function returns
  // true, --frames is reached, or the window closes or SIGINT or SIGTERM
  // arrives (checked at the start of each frame). System_Shutdown is safe at
  // any time, twice, and from inside a callback. System_Log writes to stderr.
  virtual bool System_Initiate() = 0;
  virtual void System_Shutdown() = 0;
  virtual bool System_Start() = 0;
  virtual const char* System_GetErrorMessage() = 0;
  virtual void System_Log(const char* format, ...) = 0;

  virtual void System_SetState(hgeBoolState state, bool value) = 0;
  virtual void System_SetState(hgeFuncState state, hgeCallback value) = 0;
  virtual void System_SetState(hgeIntState state, int value) = 0;
  virtual void System_SetState(hgeStringState state, const char* value) = 0;
  virtual bool System_GetState(hgeBoolState state) = 0;
  virtual hgeCallback System_GetState(hgeFuncState state) = 0;
  virtual int System_GetState(hgeIntState state) = 0;
  virtual const char* System_GetState(hgeStringState state) = 0;
  virtual void* System_GetState(hgeHwndState state) = 0;

  // Resources: a private copy of the whole file; free it with Resource_Free.
  virtual void* Resource_Load(const char* filename, DWORD* size = nullptr) = 0;
  virtual void Resource_Free(void* res) = 0;

  // INI file (HGE_INIFILE, relative to the working directory).
  virtual void Ini_SetInt(const char* section, const char* name, int value) = 0;
  virtual int Ini_GetInt(const char* section, const char* name, int def_val) = 0;
  virtual void Ini_SetFloat(const char* section, const char* name, float value) = 0;
  virtual float Ini_GetFloat(const char* section, const char* name, float def_val) = 0;
  virtual void Ini_SetString(const char* section, const char* name, const char* value) = 0;
  // The returned text stays valid until the next Ini_GetString.
  virtual const char* Ini_GetString(const char* section, const char* name, const char* def_val) = 0;

  virtual void Random_Seed(int seed = 0) = 0;
  virtual int Random_Int(int min, int max) = 0;
  virtual float Random_Float(float min, float max) = 0;

  virtual float Timer_GetTime() = 0;
  virtual float Timer_GetDelta() = 0;
  virtual int Timer_GetFPS() = 0;

  // Sound. Volumes 0..100, pan -100..100, pitch 1.0 = normal.
  virtual HEFFECT Effect_Load(const char* filename, DWORD size = 0) = 0;
  virtual void Effect_Free(HEFFECT eff) = 0;
  virtual HCHANNEL Effect_Play(HEFFECT eff) = 0;
  virtual HCHANNEL Effect_PlayEx(HEFFECT eff, int volume = 100, int pan = 0, float pitch = 1.0f,
                                 bool loop = false) = 0;

  virtual HSTREAM Stream_Load(const char* filename, DWORD size = 0) = 0;
  virtual void Stream_Free(HSTREAM stream) = 0;
  virtual HCHANNEL Stream_Play(HSTREAM stream, bool loop, int volume = 100) = 0;

  virtual void Channel_SetPanning(HCHANNEL chn, int pan) = 0;
  virtual void Channel_SetVolume(HCHANNEL chn, int volume) = 0;
  virtual void Channel_SetPitch(HCHANNEL chn, float pitch) = 0;
  virtual void Channel_Pause(HCHANNEL chn) = 0;
  virtual void Channel_Resume(HCHANNEL chn) = 0;
  virtual void Channel_Stop(HCHANNEL chn) = 0;
  virtual bool Channel_IsPlaying(HCHANNEL chn) = 0;
  virtual float Channel_GetLength(HCHANNEL chn) = 0;
  virtual float Channel_GetPos(HCHANNEL chn) = 0;
  // Slides the volume linearly over [time] seconds; volume -1, pan -101 and
  // pitch -1 mean unchanged. A new slide replaces the old one.
  virtual void Channel_SlideTo(HCHANNEL channel, float time, int volume, int pan = -101,
                               float pitch = -1) = 0;
  virtual bool Channel_IsSliding(HCHANNEL channel) = 0;

  // Input, polled once per frame.
  virtual bool Input_GetKeyState(int key) = 0;
  // The last key that went down since the previous frame, 0 if none.
  virtual int Input_GetKey() = 0;
  virtual bool Input_KeyDown(int key) = 0;
  virtual bool Input_KeyUp(int key) = 0;
  // Gamepad slots 0-3, in place of XInput.
  virtual hgePadState Input_GetPadState(int pad) = 0;

  // Drawing. Quads drawn outside BeginScene/EndScene are dropped.
  virtual bool Gfx_BeginScene(HTEXTURE target = 0) = 0;
  virtual void Gfx_EndScene() = 0;
  virtual void Gfx_Clear(DWORD color) = 0;
  virtual void Gfx_RenderQuad(const hgeQuad* quad) = 0;
  // Applies to every later quad until changed; all-zero scale clears it.
  virtual void Gfx_SetTransform(float x = 0, float y = 0, float dx = 0, float dy = 0, float rot = 0,
                                float hscale = 0, float vscale = 0) = 0;

  // Textures hold straight-alpha 0xAARRGGBB pixels at the image's own size.
  virtual HTEXTURE Texture_Create(int width, int height) = 0;
  virtual HTEXTURE Texture_Load(const char* filename, DWORD size = 0, bool bMipmap = false) = 0;
  virtual void Texture_Free(HTEXTURE tex) = 0;
  virtual int Texture_GetWidth(HTEXTURE tex, bool bOriginal = false) = 0;
  virtual int Texture_GetHeight(HTEXTURE tex, bool bOriginal = false) = 0;
  // Pitch is the width. Unlock uploads what was written.
  virtual DWORD* Texture_Lock(HTEXTURE tex, bool bReadOnly = true, int left = 0, int top = 0,
                              int width = 0, int height = 0) = 0;
  virtual void Texture_Unlock(HTEXTURE tex) = 0;
};

// Returns the process-wide engine with one more reference.
HGE* hgeCreate(int ver);
