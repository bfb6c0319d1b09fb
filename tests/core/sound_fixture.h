// An engine interface that forwards to the real one and records every sound call, for the sound tests;
// a scoped swap that puts it in a manager's engine pointer.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "engine/hge.h"

// One recorded sound call: the operation, the handle it was given (or
// returned, for loads and plays), and its arguments.
struct SoundCall {
  SoundCall(std::string o, DWORD h, std::string f = {}, int v = -1, bool l = false, float s = 0)
      : op(std::move(o)), handle(h), file(std::move(f)), volume(v), loop(l), seconds(s) {}
  std::string op;
  DWORD handle;
  std::string file;
  int volume;
  bool loop;
  float seconds;
};

class RecordingHge final : public HGE {
 public:
  explicit RecordingHge(HGE* inner) : inner_(inner) {}

  std::vector<SoundCall> calls;
  // The recorded operations named [op].
  std::vector<SoundCall> named(const std::string& op) const {
    std::vector<SoundCall> out;
    for (const SoundCall& c : calls) {
      if (c.op == op) out.push_back(c);
    }
    return out;
  }
  // Operations in order, as "op" or "op file".
  std::vector<std::string> ops() const {
    std::vector<std::string> out;
    for (const SoundCall& c : calls) out.push_back(c.file.empty() ? c.op : c.op + " " + c.file);
    return out;
  }

  void Release() override { inner_->Release(); }
  bool System_Initiate() override { return inner_->System_Initiate(); }
  void System_Shutdown() override { inner_->System_Shutdown(); }
  bool System_Start() override { return inner_->System_Start(); }
  const char* System_GetErrorMessage() override { return inner_->System_GetErrorMessage(); }
  void System_Log(const char* format, ...) override {
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    inner_->System_Log("%s", text);
  }
  void System_SetState(hgeBoolState s, bool v) override { inner_->System_SetState(s, v); }
  void System_SetState(hgeFuncState s, hgeCallback v) override { inner_->System_SetState(s, v); }
  void System_SetState(hgeIntState s, int v) override { inner_->System_SetState(s, v); }
  void System_SetState(hgeStringState s, const char* v) override { inner_->System_SetState(s, v); }
  bool System_GetState(hgeBoolState s) override { return inner_->System_GetState(s); }
  hgeCallback System_GetState(hgeFuncState s) override { return inner_->System_GetState(s); }
  int System_GetState(hgeIntState s) override { return inner_->System_GetState(s); }
  const char* System_GetState(hgeStringState s) override { return inner_->System_GetState(s); }
  void* System_GetState(hgeHwndState s) override { return inner_->System_GetState(s); }
  void* Resource_Load(const char* f, DWORD* size) override { return inner_->Resource_Load(f, size); }
  void Resource_Free(void* res) override { inner_->Resource_Free(res); }
  void Ini_SetInt(const char* s, const char* n, int v) override { inner_->Ini_SetInt(s, n, v); }
  int Ini_GetInt(const char* s, const char* n, int d) override { return inner_->Ini_GetInt(s, n, d); }
  void Ini_SetFloat(const char* s, const char* n, float v) override { inner_->Ini_SetFloat(s, n, v); }
  float Ini_GetFloat(const char* s, const char* n, float d) override { return inner_->Ini_GetFloat(s, n, d); }
  void Ini_SetString(const char* s, const char* n, const char* v) override { inner_->Ini_SetString(s, n, v); }
  const char* Ini_GetString(const char* s, const char* n, const char* d) override {
    return inner_->Ini_GetString(s, n, d);
  }
  void Random_Seed(int seed) override { inner_->Random_Seed(seed); }
  int Random_Int(int lo, int hi) override { return inner_->Random_Int(lo, hi); }
  float Random_Float(float lo, float hi) override { return inner_->Random_Float(lo, hi); }
  float Timer_GetTime() override { return inner_->Timer_GetTime(); }
  float Timer_GetDelta() override { return inner_->Timer_GetDelta(); }
  int Timer_GetFPS() override { return inner_->Timer_GetFPS(); }

  HEFFECT Effect_Load(const char* f, DWORD size) override {
    return record({"Effect_Load", inner_->Effect_Load(f, size), f});
  }
  void Effect_Free(HEFFECT e) override {
    record({"Effect_Free", e});
    inner_->Effect_Free(e);
  }
  HCHANNEL Effect_Play(HEFFECT e) override {
    record({"Effect_Play", e});
    return inner_->Effect_Play(e);
  }
  HCHANNEL Effect_PlayEx(HEFFECT e, int volume, int pan, float pitch, bool loop) override {
    record({"Effect_PlayEx", e, "", volume, loop});
    return inner_->Effect_PlayEx(e, volume, pan, pitch, loop);
  }
  HSTREAM Stream_Load(const char* f, DWORD size) override {
    return record({"Stream_Load", inner_->Stream_Load(f, size), f});
  }
  void Stream_Free(HSTREAM s) override {
    record({"Stream_Free", s});
    inner_->Stream_Free(s);
  }
  HCHANNEL Stream_Play(HSTREAM s, bool loop, int volume) override {
    record({"Stream_Play", s, "", volume, loop});
    return inner_->Stream_Play(s, loop, volume);
  }
  void Channel_SetPanning(HCHANNEL c, int pan) override { inner_->Channel_SetPanning(c, pan); }
  void Channel_SetVolume(HCHANNEL c, int volume) override {
    record({"Channel_SetVolume", c, "", volume});
    inner_->Channel_SetVolume(c, volume);
  }
  void Channel_SetPitch(HCHANNEL c, float pitch) override { inner_->Channel_SetPitch(c, pitch); }
  void Channel_Pause(HCHANNEL c) override { inner_->Channel_Pause(c); }
  void Channel_Resume(HCHANNEL c) override {
    record({"Channel_Resume", c});
    inner_->Channel_Resume(c);
  }
  void Channel_Stop(HCHANNEL c) override {
    record({"Channel_Stop", c});
    inner_->Channel_Stop(c);
  }
  bool Channel_IsPlaying(HCHANNEL c) override { return inner_->Channel_IsPlaying(c); }
  float Channel_GetLength(HCHANNEL c) override { return inner_->Channel_GetLength(c); }
  float Channel_GetPos(HCHANNEL c) override { return inner_->Channel_GetPos(c); }
  void Channel_SlideTo(HCHANNEL c, float time, int volume, int pan, float pitch) override {
    record({"Channel_SlideTo", c, "", volume, false, time});
    inner_->Channel_SlideTo(c, time, volume, pan, pitch);
  }
  bool Channel_IsSliding(HCHANNEL c) override { return inner_->Channel_IsSliding(c); }

  bool Input_GetKeyState(int key) override { return inner_->Input_GetKeyState(key); }
  int Input_GetKey() override { return inner_->Input_GetKey(); }
  bool Input_KeyDown(int key) override { return inner_->Input_KeyDown(key); }
  bool Input_KeyUp(int key) override { return inner_->Input_KeyUp(key); }
  hgePadState Input_GetPadState(int pad) override { return inner_->Input_GetPadState(pad); }
  bool Gfx_BeginScene(HTEXTURE target) override { return inner_->Gfx_BeginScene(target); }
  void Gfx_EndScene() override { inner_->Gfx_EndScene(); }
  void Gfx_Clear(DWORD color) override { inner_->Gfx_Clear(color); }
  void Gfx_RenderQuad(const hgeQuad* quad) override { inner_->Gfx_RenderQuad(quad); }
  void Gfx_SetTransform(float x, float y, float dx, float dy, float rot, float hs, float vs) override {
    inner_->Gfx_SetTransform(x, y, dx, dy, rot, hs, vs);
  }
  HTEXTURE Texture_Create(int w, int h) override { return inner_->Texture_Create(w, h); }
  HTEXTURE Texture_Load(const char* f, DWORD size, bool mip) override { return inner_->Texture_Load(f, size, mip); }
  void Texture_Free(HTEXTURE t) override { inner_->Texture_Free(t); }
  int Texture_GetWidth(HTEXTURE t, bool original) override { return inner_->Texture_GetWidth(t, original); }
  int Texture_GetHeight(HTEXTURE t, bool original) override { return inner_->Texture_GetHeight(t, original); }
  DWORD* Texture_Lock(HTEXTURE t, bool ro, int l, int top, int w, int h) override {
    return inner_->Texture_Lock(t, ro, l, top, w, h);
  }
  void Texture_Unlock(HTEXTURE t) override { inner_->Texture_Unlock(t); }

 private:
  DWORD record(SoundCall call) {
    calls.push_back(call);
    return call.handle;
  }
  HGE* inner_;
};

// Records the calls made through [slot], an engine pointer a manager holds,
// and puts the real engine back when it goes, failed assertions included.
class ScopedRecorder {
 public:
  explicit ScopedRecorder(HGE*& slot) : slot_(slot), real_(slot), rec_(slot) { slot = &rec_; }
  ~ScopedRecorder() { slot_ = real_; }
  ScopedRecorder(const ScopedRecorder&) = delete;
  ScopedRecorder& operator=(const ScopedRecorder&) = delete;
  RecordingHge& operator*() { return rec_; }
  RecordingHge* operator->() { return &rec_; }

 private:
  HGE*& slot_;
  HGE* real_;
  RecordingHge rec_;
};
