// A fresh temporary directory that is the working directory for one scope.
#pragma once

#include <filesystem>
#include <string>

// Creates a unique directory under the system temp folder, makes it the
// working directory, and on destruction restores the old working directory
// and removes the tree.
class ScopedTempDir {
 public:
  ScopedTempDir();
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Writes [content] to [relative] (parent folders created).
  void write(const std::string& relative, const std::string& content) const;
  // The whole file, "" when missing.
  std::string read(const std::string& relative) const;

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
};
