// Whole-file writes of the script pipeline, checked up to the close.
#include "script/runtime/file_write.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "engine/platform.h"

namespace script {

WriteStatus writeWholeFile(const std::string& path, std::string_view bytes, std::string& reason) {
  const std::string target = engine::resolvePath(path);
  if (target.empty() && !path.empty()) {
    reason = engine::fileErrorText(EPERM);  // refused, and reported
    return WriteStatus::CannotOpen;
  }
  std::FILE* file = std::fopen(target.c_str(), "wb");
  if (file == nullptr) {
    reason = std::strerror(errno);
    return WriteStatus::CannotOpen;
  }
  // A full disk often shows only when the buffered bytes are flushed by the close.
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  int error = errno;
  bool closed = std::fclose(file) == 0;
  if (written && closed) return WriteStatus::Ok;
  reason = std::strerror(written ? errno : error);
  return WriteStatus::CannotWrite;
}

std::string fileAndReason(const std::string& path, const std::string& reason) {
  return path + " (" + reason + ")";
}

}  // namespace script
