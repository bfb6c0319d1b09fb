// Timers and their manager.
#include "core/xTimer.h"

#include "base/xLogFile.h"
#include "script/manager/xScriptManager.h"

namespace {
xTimerManager* gTimers = nullptr;
}

bool xTimer::countFrame() {
  if (++count != period) return false;
  ++firedCount;
  count = 0;
  if (repeatLimit != kEndless && firedCount == repeatLimit) stop();
  return true;
}

void xTimer::stop() { count = period = firedCount = repeatLimit = 0; }

bool xTimer::step() {
  if (!countFrame()) return false;
  if (callback) callback();
  return true;
}

bool xScriptTimer::step() {
  if (!countFrame()) return false;
  if (!funcName.empty() && !xScriptManager::getInstance()->callFunc(funcName, scriptGroupId, threadIndex)) {
    stop();
  }
  return true;
}

xTimerManager* xTimerManager::getInstance() {
  if (!gTimers) gTimers = new xTimerManager();
  return gTimers;
}

void xTimerManager::resetForTests() {
  delete gTimers;
  gTimers = nullptr;
}

bool xTimerManager::add(std::unique_ptr<xTimer> timer) {
  if (!timer) return false;
  if (timers_.size() >= kMaxTimers) {
    if (!capReported_) WriteLog("xTimerManager::add: %zu timers running, no more are started", kMaxTimers);
    capReported_ = refusedSinceUpdate_ = true;
    return false;
  }
  timers_.push_back(std::move(timer));
  return true;
}

void xTimerManager::update() {
  updating_ = true;
  // Only the timers there at the start: those the calls append sit behind
  // them and wait for the next frame. Nothing but this walk erases, so the
  // first [left] nodes are always the ones still to step.
  auto it = timers_.begin();
  for (std::size_t left = timers_.size(); left > 0; --left) {
    (*it)->step();
    it = (*it)->isActive() ? std::next(it) : timers_.erase(it);
  }
  updating_ = false;
  if (timers_.size() < kMaxTimers && !refusedSinceUpdate_) capReported_ = false;
  refusedSinceUpdate_ = false;
}

void xTimerManager::clear() {
  if (!updating_) {
    timers_.clear();
    capReported_ = refusedSinceUpdate_ = false;
    return;
  }
  // The timer whose call got here is still running: stop, do not destroy.
  for (auto& timer : timers_) timer->stop();
}
