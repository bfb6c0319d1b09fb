// The entry point's body, start-up, and the engine's frame and render callbacks.
#pragma once

#include <cstdint>

#include "core/game_state.h"

class HGE;

// The process-wide engine interface of the entry point.
extern HGE* hge;

// Frames run and frames that ran below 59.8 fps; printed at shutdown.
extern std::uint32_t totalFrames;
extern std::uint32_t slowFrames;

// Everything main does: engine set-up, start-up, the loop and the shutdown
// tail. argv goes to the engine layer. Returns the process exit status.
int runGame(int argc, char** argv);

// Registers the host-function groups in their fixed order (see
// host/host_registration.h); the first step of start-up.
void RegisterHostAPIs();
void GameStartUp();
bool FrameFunc();
bool RenderFunc();
void renderSTGScene();
void renderAVGScene();
void renderAVGInSTGScene();

// The "SlowRate" line's first value: the share of frames that were not
// slow, 0 when no frame ran.
float slowRate(std::uint32_t total, std::uint32_t slow);
