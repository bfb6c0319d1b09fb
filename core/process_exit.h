// Ending the process at once, without the shutdown tail.
#pragma once

namespace core {

// The roads that end the process directly (the title's cancel on its
// end-game item, "htExit"): the volumes are written to config.ini first, so
// settings changed in this run are kept; then the engine is shut down and
// the process exits with code 0.
[[noreturn]] void exitAtOnce();

}  // namespace core
