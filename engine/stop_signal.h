// SIGINT and SIGTERM while the engine loop runs: they close the game the way closing its window does.
#pragma once

#include <csignal>

namespace engine {

// Catches SIGINT and SIGTERM for its lifetime (the loop of System_Start)
// and puts the earlier handlers back afterwards. A caught signal stays
// pending until the loop takes it at the start of the next frame. A second
// signal that arrives before that (a frame that never ends) gets the
// default action, so the process can still be stopped.
class StopSignals {
 public:
  StopSignals();
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

 private:
  struct sigaction previous_[2];
};

// True while a caught signal waits for the loop.
bool stopSignalPending();
// The same, and forgets it.
bool takeStopSignal();

}  // namespace engine
