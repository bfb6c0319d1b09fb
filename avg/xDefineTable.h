// The names that scene files use for pictures, sounds and talkers, read from the define file.
#pragma once

#include <map>
#include <string>

// Lines "define NAME VALUE": a line whose first byte is 'd' defines NAME,
// from the eighth byte to the next blank, as everything after that blank
// (blanks included). Other lines are ignored; a line with no NAME or no blank
// after it is skipped. Names are compared exactly; a later definition wins.
class xDefineTable {
 public:
  static xDefineTable* getInstance();
  // Tests: forget the instance so the next getInstance builds a fresh one.
  static void resetForTests();

  // Empties the table and reads [path] (through the path resolver, relative
  // to the working folder). A file that cannot be read leaves it empty,
  // without a message. The scene player calls it once, when it is created.
  void load(const std::string& path);
  // The value of [name], or [name] itself when it is not defined.
  std::string lookup(const std::string& name) const;

 private:
  xDefineTable() = default;
  std::map<std::string, std::string> defines_;
};
