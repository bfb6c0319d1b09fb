// What the script-group host functions offer the game's own tools besides scripts.
#pragma once

#include <string>

namespace host {

// Plays the scene file [file] over the running stage at once: the ship
// stands still, the enemy bullets are cleared, the state becomes the scene
// inside the stage and returns to the stage at the scene's end. False, with
// a log line and nothing changed, when the file cannot be read.
bool runSceneInStage(const std::string& file);

}  // namespace host
