// What the headless backend records and accepts, for tests and scripted runs.
#pragma once

#include <string>
#include <vector>

#include "engine/hge.h"
#include "engine/input.h"

namespace engine::headless {

// Quads of the scene in progress, or of the last finished scene once
// Gfx_EndScene has run (cleared by Gfx_BeginScene), after the transform.
const std::vector<hgeQuad>& recordedQuads();
// Draw batches the last scene would have issued (same texture and blend in a row).
int recordedBatchCount();
// The colour of the last Gfx_Clear.
DWORD lastClearColor();

// Scripted input. Events are applied at the poll of the given frame
// (frame 0 is the first frame of System_Start).
void keyDown(long frame, int key);
void keyUp(long frame, int key);
void padState(long frame, int pad, bool connected, unsigned buttons);
// Loads a script of lines "FRAME down KEY", "FRAME up KEY",
// "FRAME pad N CONNECTED BUTTONS"; '#' starts a comment. False, with
// [error] naming the file and the reason, when it cannot be read (a folder
// included) or has a bad line.
[[nodiscard]] bool loadInputScript(const std::string& path, std::string& error);
void clearInput();
// The window backend plays the same script over what the player does.
void applyScriptedInput(long frame, InputState& input);

// Benchmarks turn the quad recording off (on by default); batches still count.
void setQuadRecording(bool on);

// Frames run by System_Start so far.
long frameCount();

}  // namespace engine::headless
