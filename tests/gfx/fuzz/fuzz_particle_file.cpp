// libFuzzer target: any bytes as a particle file must load (or stay inert), emit, move and draw without faults.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "engine/hge.h"
#include "engine/options.h"
#include "gfx/hgeParticleSystem.h"

namespace {

HGE* engineOnce() {
  static HGE* hge = [] {
    engine::options().backend = engine::Backend::Headless;
    HGE* h = hgeCreate(HGE_VERSION);
    if (!h->System_Initiate()) std::abort();
    return h;
  }();
  return hge;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  HGE* hge = engineOnce();
  std::FILE* file = std::fopen("fuzz.psi", "wb");
  if (file == nullptr) std::abort();
  if (size > 0) std::fwrite(data, 1, size, file);
  std::fclose(file);
  hgeParticleSystem::forgetCachedFiles();

  hgeSprite sprite(0, 0, 0, 32, 32);
  hgeParticleSystem ps("fuzz.psi", &sprite);
  if (ps.loaded() != (size >= kParticleFileSize)) std::abort();
  ps.FireAt(100, 100);
  hge->Gfx_BeginScene();
  for (int frame = 0; frame < 8; ++frame) {
    ps.MoveTo(100.0f + frame * 7, 100.0f - frame * 3, frame % 2 == 1);
    ps.Update(1.0f / 60);
    if (ps.GetParticlesAlive() < 0 || ps.GetParticlesAlive() > hgeParticleSystem::kMaxParticles) std::abort();
    ps.Render();
  }
  hge->Gfx_EndScene();
  ps.Stop(true);
  if (ps.GetParticlesAlive() != 0) std::abort();
  return 0;
}
