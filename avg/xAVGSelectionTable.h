// The choices made in scenes, by selection name, kept for the whole run so later scenes can test them.
#pragma once

#include <map>
#include <string>

// 0 while a selection is offered and not yet chosen, otherwise the chosen
// option counted from 1. Names are compared exactly. Created on first use,
// never deleted: a choice outlives its scene.
class xAVGSelectionTable {
 public:
  static xAVGSelectionTable* getInstance();
  // Tests: forget every choice.
  static void resetForTests();

  // The entry of [name]; reading an absent name creates it with 0.
  int read(const std::string& name);
  void write(const std::string& name, int option);

  std::map<std::string, int> choices;

 private:
  xAVGSelectionTable() = default;
};
