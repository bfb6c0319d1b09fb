// The engine object behind HGE: states, the frame loop, drawing, textures, input and services.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "engine/audio.h"
#include "engine/device.h"
#include "engine/hge.h"
#include "engine/ini.h"
#include "engine/input.h"
#include "engine/options.h"
#include "engine/random.h"
#include "engine/textures.h"

namespace engine {

// Applied to every quad drawn after Gfx_SetTransform, until cleared.
struct Transform {
  bool active = false;
  float cx = 0, cy = 0;      // centre of scale and rotation
  float dx = 0, dy = 0;      // shift after it
  float cosR = 1, sinR = 0;  // rotation, clockwise on screen
  float hscale = 1, vscale = 1;
  void apply(hgeVertex& v) const;
};

class HgeImpl final : public HGE {
 public:
  explicit HgeImpl(const Options& options);
  ~HgeImpl() override;

  int refs = 1;  // owned by hgeCreate/Release (engine/hge.cpp)

  // Hands the quads gathered so far to the device (for the headless recording).
  void flushPendingBatch() { flushBatch(); }

  void Release() override;

  bool System_Initiate() override;
  void System_Shutdown() override;
  bool System_Start() override;
  const char* System_GetErrorMessage() override { return error_.c_str(); }
  void System_Log(const char* format, ...) override;

  void System_SetState(hgeBoolState state, bool value) override;
  void System_SetState(hgeFuncState state, hgeCallback value) override;
  void System_SetState(hgeIntState state, int value) override;
  void System_SetState(hgeStringState state, const char* value) override;
  bool System_GetState(hgeBoolState state) override;
  hgeCallback System_GetState(hgeFuncState state) override;
  int System_GetState(hgeIntState state) override;
  const char* System_GetState(hgeStringState state) override;
  void* System_GetState(hgeHwndState state) override;

  void* Resource_Load(const char* filename, DWORD* size) override;
  void Resource_Free(void* res) override;

  void Ini_SetInt(const char* section, const char* name, int value) override;
  int Ini_GetInt(const char* section, const char* name, int def_val) override;
  void Ini_SetFloat(const char* section, const char* name, float value) override;
  float Ini_GetFloat(const char* section, const char* name, float def_val) override;
  void Ini_SetString(const char* section, const char* name, const char* value) override;
  const char* Ini_GetString(const char* section, const char* name, const char* def_val) override;

  void Random_Seed(int seed) override;
  int Random_Int(int min, int max) override;
  float Random_Float(float min, float max) override;

  float Timer_GetTime() override { return static_cast<float>(time_); }
  float Timer_GetDelta() override { return delta_; }
  int Timer_GetFPS() override { return fps_; }

  HEFFECT Effect_Load(const char* filename, DWORD size) override;
  void Effect_Free(HEFFECT eff) override;
  HCHANNEL Effect_Play(HEFFECT eff) override;
  HCHANNEL Effect_PlayEx(HEFFECT eff, int volume, int pan, float pitch, bool loop) override;
  HSTREAM Stream_Load(const char* filename, DWORD size) override;
  void Stream_Free(HSTREAM stream) override;
  HCHANNEL Stream_Play(HSTREAM stream, bool loop, int volume) override;
  void Channel_SetPanning(HCHANNEL chn, int pan) override;
  void Channel_SetVolume(HCHANNEL chn, int volume) override;
  void Channel_SetPitch(HCHANNEL chn, float pitch) override;
  void Channel_Pause(HCHANNEL chn) override;
  void Channel_Resume(HCHANNEL chn) override;
  void Channel_Stop(HCHANNEL chn) override;
  bool Channel_IsPlaying(HCHANNEL chn) override;
  float Channel_GetLength(HCHANNEL chn) override;
  float Channel_GetPos(HCHANNEL chn) override;
  void Channel_SlideTo(HCHANNEL channel, float time, int volume, int pan, float pitch) override;
  bool Channel_IsSliding(HCHANNEL channel) override;

  bool Input_GetKeyState(int key) override { return input_.held(key); }
  int Input_GetKey() override { return input_.lastKey(); }
  bool Input_KeyDown(int key) override { return input_.pressed(key); }
  bool Input_KeyUp(int key) override { return input_.released(key); }
  hgePadState Input_GetPadState(int pad) override { return input_.pad(pad); }

  bool Gfx_BeginScene(HTEXTURE target) override;
  void Gfx_EndScene() override;
  void Gfx_Clear(DWORD color) override;
  void Gfx_RenderQuad(const hgeQuad* quad) override;
  void Gfx_SetTransform(float x, float y, float dx, float dy, float rot, float hscale,
                        float vscale) override;

  HTEXTURE Texture_Create(int width, int height) override;
  HTEXTURE Texture_Load(const char* filename, DWORD size, bool bMipmap) override;
  void Texture_Free(HTEXTURE tex) override;
  int Texture_GetWidth(HTEXTURE tex, bool bOriginal) override;
  int Texture_GetHeight(HTEXTURE tex, bool bOriginal) override;
  DWORD* Texture_Lock(HTEXTURE tex, bool bReadOnly, int left, int top, int width,
                      int height) override;
  void Texture_Unlock(HTEXTURE tex) override;

 private:
  using Clock = std::chrono::steady_clock;

  DeviceConfig deviceConfig() const;
  // One frame: poll, clock, audio, callbacks. False when the loop must end.
  bool runFrame();
  // The window's own clock and sleeps; false headless or unpaced (1/60 s a frame).
  bool pacedByClock() const;
  void advanceClock();
  void waitForFrameBoundary();
  void seedFromClockOrOption();
  // Hands the quads gathered since the last flush to the backend as one batch.
  void flushBatch();
  void releaseTextures();

  Options options_;
  std::string error_;
  std::unique_ptr<Device> device_;
  std::unique_ptr<Audio> audio_;
  bool initiated_ = false;
  bool inLoop_ = false;
  bool stopRequested_ = false;

  // States.
  hgeCallback frameFunc_ = nullptr;
  hgeCallback renderFunc_ = nullptr;
  hgeCallback exitFunc_ = nullptr;
  std::string title_ = "HGE";
  int screenWidth_ = 800;
  int screenHeight_ = 600;
  int screenBpp_ = 32;
  int targetFps_ = 0;
  bool windowed_ = false;
  bool textureFilter_ = true;
  bool useSound_ = true;
  bool dontSuspend_ = false;
  bool hideMouse_ = true;

  IniFile ini_;
  std::string iniValue_;  // backs the pointer Ini_GetString returns
  Random random_;

  // Clock.
  long frame_ = 0;  // index of the frame in progress
  double time_ = 0;
  float delta_ = 0;
  int fps_ = 0;
  int framesThisSecond_ = 0;
  Clock::time_point loopStart_;
  Clock::time_point lastFrame_;
  Clock::time_point secondStart_;
  Clock::time_point nextFrame_;

  InputState input_;
  TextureStore textures_;

  // Drawing.
  bool inScene_ = false;
  Transform transform_;
  std::vector<hgeVertex> batch_;  // capacity kept across frames: no allocation per quad
  HTEXTURE batchHandle_ = 0;
  Texture* batchTexture_ = nullptr;
  int batchBlend_ = -1;
};

}  // namespace engine
