// Ending the process at once.
#include "core/process_exit.h"

#include <cstdlib>

#include "core/xSoundManager.h"
#include "engine/hge.h"

namespace core {

void exitAtOnce() {
  if (xSoundManager* sound = xSoundManager::existing()) sound->saveVolumes();
  HGE* engine = hgeCreate(HGE_VERSION);
  engine->System_Shutdown();
  engine->Release();
  std::exit(0);
}

}  // namespace core
