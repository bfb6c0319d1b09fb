// Catching SIGINT and SIGTERM for the engine loop.
#include "engine/stop_signal.h"

#include <atomic>

namespace engine {
namespace {

constexpr int kSignals[2] = {SIGINT, SIGTERM};

// Set from the handler, which may run on any thread (the mixer's included):
// a lock-free atomic is safe there.
std::atomic<int> gPending{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void onStopSignal(int number) {
  if (gPending.exchange(number) == 0) return;
  struct sigaction fallback = {};
  fallback.sa_handler = SIG_DFL;
  sigaction(number, &fallback, nullptr);
  raise(number);
}

}  // namespace

StopSignals::StopSignals() {
  gPending = 0;
  struct sigaction caught = {};
  caught.sa_handler = onStopSignal;
  sigemptyset(&caught.sa_mask);
  caught.sa_flags = SA_RESTART;
  for (int i = 0; i < 2; ++i) sigaction(kSignals[i], &caught, &previous_[i]);
}

StopSignals::~StopSignals() {
  for (int i = 0; i < 2; ++i) sigaction(kSignals[i], &previous_[i], nullptr);
  gPending = 0;
}

bool stopSignalPending() { return gPending.load() != 0; }

bool takeStopSignal() { return gPending.exchange(0) != 0; }

}  // namespace engine
