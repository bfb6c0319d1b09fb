// Frame-counted timers that call a function or a script function every N frames, and their manager.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>

#include "script/runtime/script_ids.h"

// Fires when its count reaches period (so every period frames, unlike
// xFrameCounter's limit + 1), repeatLimit times or, with kEndless, for ever.
class xTimer {
 public:
  static constexpr std::uint32_t kEndless = 0xFFFFFFFF;

  virtual ~xTimer() = default;
  // Counts one frame; true when the timer fired in it.
  virtual bool step();
  // False once the timer has run out or was stopped (period 0).
  virtual bool isActive() const { return period != 0; }
  // Stops the timer for good.
  void stop();

  std::uint32_t count = 0;        // frames since the last firing
  std::uint32_t period = 0;       // frames between firings; 0 = stopped
  std::uint32_t firedCount = 0;
  std::uint32_t repeatLimit = 0;  // firings before it stops; kEndless = never
  void (*callback)() = nullptr;

 protected:
  // The counting shared by every timer; true when it fires now.
  bool countFrame();
};

// Calls [funcName] in the thread that started it ("htStartTimer"); a call
// that fails (unknown function, group or thread) stops the timer.
class xScriptTimer : public xTimer {
 public:
  bool step() override;

  std::string funcName;  // empty: fires silently
  script::GroupId scriptGroupId = script::kNoGroup;
  script::ThreadIndex threadIndex = script::kNoThread;
};

// Owns every timer and steps them in insertion order near the end of the
// frame callback; a timer that runs out is removed in the frame of its last
// firing. Single instance, created on first use, never destroyed.
class xTimerManager {
 public:
  static xTimerManager* getInstance();
  static void resetForTests();

  // Far above any stage's needs; a script whose timers start timers would
  // otherwise double them every period until the machine gives out.
  static constexpr std::size_t kMaxTimers = 4096;

  // Appends [timer]; one added while the timers are being stepped is first
  // stepped in the next update, so a timer that starts itself again fires
  // once per period. False when kMaxTimers timers are live, with one log
  // line until an update ends below the cap with nothing refused since the
  // last one (a forking timer keeps the count at the cap, dipping under it
  // by one each frame).
  bool add(std::unique_ptr<xTimer> timer);
  void update();
  // Destroys every timer. Called from inside a timer's script call, it stops
  // them instead and the running walk removes them.
  void clear();
  std::size_t size() const { return timers_.size(); }

 private:
  xTimerManager() = default;
  // A list: nodes stay put while a script call appends to it mid-walk.
  std::list<std::unique_ptr<xTimer>> timers_;
  bool updating_ = false;
  bool capReported_ = false;
  bool refusedSinceUpdate_ = false;
};
