// Scene fixtures read and built fresh for each test, with orders shown as comparable text.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "avg/order_list.h"
#include "avg/xAVGScriptParser.h"
#include "avg/xAVGScriptReader.h"
#include "avg/xDefineTable.h"
#include "base/xLogFile.h"
#include "tests/support/temp_dir.h"

namespace avgtest {

inline std::string fixture(const std::string& name) { return std::string(VELMORA_TEST_DATA) + "/avg/" + name; }

// "kind|branch|param|param...".
inline std::string describe(const xAVGOrder& order) {
  std::string text = std::to_string(static_cast<int>(order.type)) + "|" + std::to_string(order.branch);
  for (const std::string& param : order.params) text += "|" + param;
  return text;
}

class SceneTest : public ::testing::Test {
 protected:
  void SetUp() override { resetAll(); }
  void TearDown() override { resetAll(); }

  static xAVGScriptReader* reader() { return xAVGScriptReader::getInstance(); }

  // The statements of a fixture file.
  std::vector<std::string> statements(const std::string& file) {
    EXPECT_TRUE(reader()->readFile(fixture(file))) << file;
    return {reader()->lines.begin(), reader()->lines.end()};
  }
  // The parameters (or text pieces) of every statement of a fixture file.
  std::vector<std::vector<std::string>> paramsPerStatement(const std::string& file) {
    EXPECT_TRUE(reader()->readFile(fixture(file))) << file;
    std::vector<std::vector<std::string>> all;
    for (; !reader()->atEnd(); reader()->advance()) all.push_back(reader()->params);
    return all;
  }
  // Builds the orders of what the reader holds.
  std::vector<std::string> build() {
    xAVGScriptParser::getInstance()->buildOrders(list_);
    std::vector<std::string> shown;
    for (const xAVGOrder& order : list_.orders()) shown.push_back(describe(order));
    return shown;
  }
  std::vector<std::string> orders(const std::string& file) {
    EXPECT_TRUE(reader()->readFile(fixture(file))) << file;
    return build();
  }
  std::vector<std::string> ordersOfText(const std::string& text) {
    reader()->readText(text, "memory");
    return build();
  }
  // How many log lines equal [line].
  int logged(const std::string& line) {
    std::string log = "\n" + dir_.read("log.txt");
    int count = 0;
    for (std::size_t at = log.find("\n" + line + "\n"); at != std::string::npos;
         at = log.find("\n" + line + "\n", at + 1))
      ++count;
    return count;
  }

  avg::OrderList list_;
  ScopedTempDir dir_;

 private:
  static void resetAll() {
    xAVGScriptReader::resetForTests();
    xAVGScriptParser::resetForTests();
    xDefineTable::resetForTests();
    xLogFile::resetForTests();
  }
};

}  // namespace avgtest
