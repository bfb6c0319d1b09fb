// Quads submitted per second, headless and through OpenGL, in runs of one texture and mixed textures.
//
// Each frame reports what it cost our own code apart from the driver's:
// "ours_ms" is the thread's CPU time for submitting the quads (the engine's
// batching and the renderer's vertex fill and command building, no GL call),
// "driver_ms" the wall time of ending the scene (the upload, the draws and
// the swap, which waits for Mesa's rasteriser threads).
#include <benchmark/benchmark.h>

#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/hge.h"
#include "engine/options.h"

namespace {

constexpr int kQuadsPerFrame = 20000;
constexpr int kTextureCount = 4;

// An engine of the given backend, initiated, with a few small textures.
class Bench {
 public:
  explicit Bench(engine::Backend backend) {
    engine::options() = engine::Options{};
    engine::options().backend = backend;
    hge_ = hgeCreate(HGE_VERSION);
    hge_->System_SetState(HGE_WINDOWED, true);
    hge_->System_SetState(HGE_USESOUND, false);
    hge_->System_SetState(HGE_TITLE, "bench_quads");
    ok_ = hge_->System_Initiate();
    for (int i = 0; ok_ && i < kTextureCount; ++i) {
      HTEXTURE tex = hge_->Texture_Create(32, 32);
      if (DWORD* p = hge_->Texture_Lock(tex, false)) {
        for (int j = 0; j < 32 * 32; ++j) p[j] = 0xFF000000u | (0x3F3F3Fu * (i + 1));
        hge_->Texture_Unlock(tex);
      }
      textures_.push_back(tex);
    }
  }
  ~Bench() {
    hge_->System_Shutdown();
    hge_->Release();
  }
  bool ok() const { return ok_; }
  const char* error() { return hge_->System_GetErrorMessage(); }

  // One frame of kQuadsPerFrame small quads; the texture changes every [run]
  // quads. Adds the submission's CPU time and the scene end's wall time.
  void frame(int run, double& oursMs, double& driverMs) {
    hge_->Gfx_Clear(0);
    hge_->Gfx_BeginScene(0);
    double cpuStart = threadCpuMs();
    hgeQuad q{};
    q.blend = BLEND_DEFAULT;
    for (int i = 0; i < kQuadsPerFrame; ++i) {
      float x = static_cast<float>((i * 7) % 780);
      float y = static_cast<float>((i * 13) % 580);
      q.tex = textures_[(i / run) % kTextureCount];
      q.v[0] = {x, y, 0.5f, 0xFFFFFFFF, 0, 0};
      q.v[1] = {x + 16, y, 0.5f, 0xFFFFFFFF, 1, 0};
      q.v[2] = {x + 16, y + 16, 0.5f, 0xFFFFFFFF, 1, 1};
      q.v[3] = {x, y + 16, 0.5f, 0xFFFFFFFF, 0, 1};
      hge_->Gfx_RenderQuad(&q);
    }
    oursMs += threadCpuMs() - cpuStart;
    auto end = std::chrono::steady_clock::now();
    hge_->Gfx_EndScene();
    driverMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - end).count();
  }

 private:
  static double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
  }

  HGE* hge_ = nullptr;
  bool ok_ = false;
  std::vector<HTEXTURE> textures_;
};

// state.range(0): quads per texture run (kQuadsPerFrame = one texture, 1 = mixed every quad).
void runFrames(benchmark::State& state, engine::Backend backend) {
  Bench bench(backend);
  if (!bench.ok()) {
    state.SkipWithError(bench.error());
    return;
  }
  int run = static_cast<int>(state.range(0));
  double oursMs = 0, driverMs = 0;
  for (auto _ : state) bench.frame(run, oursMs, driverMs);
  state.SetItemsProcessed(state.iterations() * kQuadsPerFrame);
  state.counters["ours_ms"] = benchmark::Counter(oursMs, benchmark::Counter::kAvgIterations);
  state.counters["driver_ms"] = benchmark::Counter(driverMs, benchmark::Counter::kAvgIterations);
}

void BM_HeadlessQuads(benchmark::State& state) {
  runFrames(state, engine::Backend::Headless);
}

// Needs a display (run under xvfb-run); reports an error without one.
void BM_GlQuads(benchmark::State& state) {
  runFrames(state, engine::Backend::Window);
}

BENCHMARK(BM_HeadlessQuads)->Arg(kQuadsPerFrame)->Arg(16)->Arg(1)->Unit(benchmark::kMillisecond);
// Real time: Mesa's llvmpipe rasterises on threads of its own.
BENCHMARK(BM_GlQuads)->Arg(kQuadsPerFrame)->Arg(16)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
