// The demo route's cost per frame, headless: runs the game as tools/demo_route.sh does
// (run it from a folder that tools/demo_route.sh prepared, with the same arguments the
// script passes) with the frame and render callbacks timed, and reports the time from
// start to the end of the first drawn frame, and update + render submission per frame
// over the second with the most enemy bullets and over the whole route.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "app/game_loop.h"
#include "engine/hge.h"
#include "engine/options.h"
#include "stg/mBulletManager.h"

namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point gStart;
Clock::time_point gFrameStart;
double gFirstFrameMs = -1;
std::vector<double> gFrameMs;
std::vector<std::size_t> gBullets;

bool timedFrame() {
  gFrameStart = Clock::now();
  bool quit = FrameFunc();
  if (quit) gFrameMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - gFrameStart).count());
  return quit;
}

bool timedRender() {
  bool result = RenderFunc();
  // RenderFunc ends the scene: the headless submission is inside it.
  Clock::time_point end = Clock::now();
  gFrameMs.push_back(std::chrono::duration<double, std::milli>(end - gFrameStart).count());
  gBullets.push_back(gBulletManager ? gBulletManager->bulletCount() : 0);
  if (gFirstFrameMs < 0) gFirstFrameMs = std::chrono::duration<double, std::milli>(end - gStart).count();
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  gStart = Clock::now();
  std::string error;
  if (!engine::parseCommandLine(argc, argv, error)) {
    std::fprintf(stderr, "bench_route: %s\n", error.c_str());
    return 2;
  }
  // The game's own set-up, with the two callbacks timed.
  hge = hgeCreate(HGE_VERSION);
  hge->System_SetState(HGE_INIFILE, "config.ini");
  hge->System_SetState(HGE_FRAMEFUNC, timedFrame);
  hge->System_SetState(HGE_RENDERFUNC, timedRender);
  hge->System_SetState(HGE_SCREENWIDTH, 800);
  hge->System_SetState(HGE_SCREENHEIGHT, 600);
  hge->System_SetState(HGE_FPS, 60);
  hge->System_SetState(HGE_DONTSUSPEND, true);
  int status = 1;
  double initiatedMs = -1, startedMs = -1;
  auto sinceStart = [] { return std::chrono::duration<double, std::milli>(Clock::now() - gStart).count(); };
  if (hge->System_Initiate()) {
    initiatedMs = sinceStart();
    GameStartUp();
    startedMs = sinceStart();
    hge->System_Start();
    status = 0;
  }
  hge->System_Shutdown();
  if (gFrameMs.empty()) return status == 0 ? 1 : status;
  const std::size_t n = std::min(gFrameMs.size(), gBullets.size());
  std::size_t best = 0, bestSum = 0, sum = 0;
  for (std::size_t i = 0; i < n; ++i) {
    sum += gBullets[i];
    if (i >= 60) sum -= gBullets[i - 60];
    if (i >= 59 && sum > bestSum) {
      bestSum = sum;
      best = i - 59;
    }
  }
  auto stats = [&](std::size_t from, std::size_t to, const char* label) {
    std::vector<double> v(gFrameMs.begin() + long(from), gFrameMs.begin() + long(to));
    std::sort(v.begin(), v.end());
    double total = 0;
    for (double x : v) total += x;
    std::printf("%s: frames %zu-%zu, mean %.3f ms, median %.3f ms, 99th %.3f ms, max %.3f ms\n", label, from,
                to - 1, total / double(v.size()), v[v.size() / 2], v[v.size() * 99 / 100], v.back());
  };
  std::printf("start to first frame: %.1f ms (engine initiated at %.1f ms, game started at %.1f ms)\n", gFirstFrameMs,
              initiatedMs, startedMs);
  std::printf("busiest second: %zu enemy bullets on average\n", bestSum / 60);
  stats(best, best + 60, "busiest second");
  stats(0, n, "whole route");
  return status;
}
