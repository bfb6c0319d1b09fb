// Whole-file writes of the script pipeline (listings, assembled files), with the reason of a failure.
#pragma once

#include <string>
#include <string_view>

namespace script {

enum class WriteStatus {
  Ok,
  CannotOpen,   // the file could not be created or truncated
  CannotWrite,  // opened, but the bytes or the close failed (a full disk, a size limit)
};

// Writes [bytes] to the game path [path] (through the engine's path
// resolver), replacing the file. On failure [reason] gets the system's text
// for the cause ("No space left on device").
[[nodiscard]] WriteStatus writeWholeFile(const std::string& path, std::string_view bytes, std::string& reason);

// "[path] ([reason])": how the pipeline's messages name a file it could not write.
std::string fileAndReason(const std::string& path, const std::string& reason);

}  // namespace script
