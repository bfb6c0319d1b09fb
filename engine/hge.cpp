// hgeCreate and Release: the one process-wide, reference-counted engine object.
#include <cstdlib>
#include <cstring>

#include "engine/hge_impl.h"
#include "engine/options.h"

namespace {

engine::HgeImpl* gEngine = nullptr;

// The command line or VELMORA_BACKEND pick the backend. Asking for
// headless in the environment always wins, as it does on the command line,
// so tests that never parse a command line still stay off the screen.
engine::Options creationOptions() {
  engine::Options chosen = engine::options();
  const char* env = std::getenv("VELMORA_BACKEND");
  if (env != nullptr && std::strcmp(env, "headless") == 0) chosen.backend = engine::Backend::Headless;
  return chosen;
}

}  // namespace

HGE* hgeCreate(int ver) {
  if (ver != HGE_VERSION) return nullptr;
  if (gEngine == nullptr) {
    gEngine = new engine::HgeImpl(creationOptions());
  } else {
    ++gEngine->refs;
  }
  return gEngine;
}

namespace engine {

void HgeImpl::Release() {
  if (--refs > 0) return;
  gEngine = nullptr;
  delete this;
}

}  // namespace engine

namespace engine {

void flushEngineBatch() {
  if (gEngine != nullptr) gEngine->flushPendingBatch();
}

}  // namespace engine
