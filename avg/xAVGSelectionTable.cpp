// The choices made in scenes.
#include "avg/xAVGSelectionTable.h"

namespace {
xAVGSelectionTable* gTable = nullptr;
}

xAVGSelectionTable* xAVGSelectionTable::getInstance() {
  if (!gTable) gTable = new xAVGSelectionTable();
  return gTable;
}

void xAVGSelectionTable::resetForTests() {
  delete gTable;
  gTable = nullptr;
}

int xAVGSelectionTable::read(const std::string& name) { return choices[name]; }

void xAVGSelectionTable::write(const std::string& name, int option) { choices[name] = option; }
