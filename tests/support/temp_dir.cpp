// A fresh temporary working directory per test scope.
#include "tests/support/temp_dir.h"

#include <fstream>
#include <random>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

ScopedTempDir::ScopedTempDir() : previous_(fs::current_path()) {
  std::random_device rd;
  for (;;) {
    path_ = fs::temp_directory_path() /
            ("velmora-test-" + std::to_string(getpid()) + "-" + std::to_string(rd()));
    if (fs::create_directory(path_)) break;
  }
  fs::current_path(path_);
}

ScopedTempDir::~ScopedTempDir() {
  std::error_code ec;
  fs::current_path(previous_, ec);
  fs::remove_all(path_, ec);
}

void ScopedTempDir::write(const std::string& relative, const std::string& content) const {
  fs::path file = path_ / relative;
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << content;
}

std::string ScopedTempDir::read(const std::string& relative) const {
  std::ifstream in(path_ / relative, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}
