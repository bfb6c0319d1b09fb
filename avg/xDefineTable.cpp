// The names that scene files use for pictures, sounds and talkers.
#include "avg/xDefineTable.h"

#include <vector>

#include "avg/scene_text.h"

namespace {

xDefineTable* gDefines = nullptr;

constexpr std::size_t kNameStart = 7;

}  // namespace

xDefineTable* xDefineTable::getInstance() {
  if (!gDefines) gDefines = new xDefineTable();
  return gDefines;
}

void xDefineTable::resetForTests() {
  delete gDefines;
  gDefines = nullptr;
}

void xDefineTable::load(const std::string& path) {
  defines_.clear();
  std::vector<std::string> lines;
  if (!avg::readTextLines(path, lines)) return;
  for (const std::string& line : lines) {
    if (line.size() <= kNameStart || line[0] != 'd') continue;
    std::size_t blank = line.find(' ', kNameStart);
    if (blank == std::string::npos || blank == kNameStart) continue;
    defines_[line.substr(kNameStart, blank - kNameStart)] = line.substr(blank + 1);
  }
}

std::string xDefineTable::lookup(const std::string& name) const {
  auto found = defines_.find(name);
  return found == defines_.end() ? name : found->second;
}
