// One frame of 10,000 live enemy bullets of mixed movement (update and render submission), headless and through OpenGL.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <new>

#include "engine/hge.h"
#include "engine/headless/headless.h"
#include "engine/options.h"
#include "stg/mBulletManager.h"

// Counts every allocation, so the benchmark can show that a frame makes none.
// GCC takes the replaced operators' malloc/free pairing for a mismatch.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
namespace {
std::atomic<long> gAllocations{0};
}  // namespace

void* operator new(std::size_t size) {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

// The play field; every bullet bounces off all four edges for ever, so the
// whole population stays alive however many frames run.
constexpr float kLeft = 175, kTop = 0, kRight = 625, kBottom = 600;

enum class Kind { Plain, Accelerating, Deflecting, Bouncing, FadingIn, Count };

class Bench {
 public:
  Bench(engine::Backend backend, int bullets) {
    engine::options() = engine::Options{};
    engine::options().backend = backend;
    hge_ = hgeCreate(HGE_VERSION);
    hge_->System_SetState(HGE_WINDOWED, true);
    hge_->System_SetState(HGE_USESOUND, false);
    hge_->System_SetState(HGE_TITLE, "bench_bullets");
    ok_ = hge_->System_Initiate();
    if (!ok_) return;
    std::filesystem::current_path(VELMORA_SOURCE_DIR);  // the demo bullet sheet
    engine::headless::setQuadRecording(false);
    mBulletManager::setTexture("bullets.png");
    manager_ = mBulletManager::getInstance();
    manager_->setScreenRect(kLeft, kTop, kRight, kBottom);
    for (int i = 0; i < bullets; ++i) add(i);
  }
  ~Bench() {
    mBulletManager::resetForTests();
    engine::headless::setQuadRecording(true);
    hge_->System_Shutdown();
    hge_->Release();
  }
  bool ok() const { return ok_; }
  const char* error() { return hge_->System_GetErrorMessage(); }
  std::size_t live() const { return manager_->bulletCount(); }

  void frame() {
    manager_->update();
    hge_->Gfx_BeginScene(0);
    manager_->render();
    hge_->Gfx_EndScene();
  }

 private:
  void add(int i) {
    auto b = std::make_unique<mBullet>();
    int column = i % 8, row = (i / 8) % 4;
    b->texRect = {16.0f * column, 16.0f * row, 16, 16};
    b->x = kLeft + static_cast<float>((i * 37) % 450);
    b->y = kTop + static_cast<float>((i * 53) % 600);
    float angle = static_cast<float>(i) * 0.618f;
    xMovement& m = b->movement;
    m.vx = 2.5f * std::cos(angle);
    m.vy = 2.5f * std::sin(angle);
    m.heading = angle;
    b->reflectCount = -1;
    b->reflectBottom = true;
    switch (static_cast<Kind>(i % static_cast<int>(Kind::Count))) {
      case Kind::Accelerating: m.accelY = 0.002f; break;
      case Kind::Deflecting:
        m.deflection = 0.5f;
        m.deflectHeld = true;
        break;
      case Kind::Bouncing: m.vx *= 3; break;
      default: break;
    }
    mBullet* added = manager_->addBullet(std::move(b));
    if (static_cast<Kind>(i % static_cast<int>(Kind::Count)) == Kind::FadingIn) {
      // An appear effect that never ends: the alpha and scale tweens step every frame.
      added->appearPending = 0;
      added->sprite->fade(1u << 30, 1.0f, true, false);
      added->sprite->scaleTo(1u << 30, 1.0f, 1.0f);
    }
  }

  HGE* hge_ = nullptr;
  bool ok_ = false;
  mBulletManager* manager_ = nullptr;
};

void runFrames(benchmark::State& state, engine::Backend backend) {
  Bench bench(backend, static_cast<int>(state.range(0)));
  if (!bench.ok()) {
    state.SkipWithError(bench.error());
    return;
  }
  for (int i = 0; i < 3; ++i) bench.frame();  // appear effects start, storage settles
  long before = gAllocations.load();
  for (auto _ : state) bench.frame();
  long allocations = gAllocations.load() - before;
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.counters["live"] = static_cast<double>(bench.live());
  state.counters["allocs_per_frame"] = static_cast<double>(allocations) / static_cast<double>(state.iterations());
}

void BM_BulletFrame(benchmark::State& state) { runFrames(state, engine::Backend::Headless); }

// Needs a display (run under xvfb-run); reports an error without one.
void BM_BulletFrameGL(benchmark::State& state) { runFrames(state, engine::Backend::Window); }

BENCHMARK(BM_BulletFrame)->Arg(10000)->Unit(benchmark::kMicrosecond);
// Real time: Mesa's llvmpipe rasterises on threads of its own.
BENCHMARK(BM_BulletFrameGL)->Arg(10000)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
