// Test helpers: builds assembled scripts in memory and provides recording host functions.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/options.h"
#include "script/runtime/bytecode_file.h"
#include "script/runtime/opcodes.h"
#include "script/runtime/vm.h"
#include "tests/support/temp_dir.h"

namespace vmtest {

using script::FileOperand;
using script::Op;

inline FileOperand I(std::int32_t v) { return FileOperand::integer(v); }
inline FileOperand Fl(float v) { return FileOperand::floating(v); }
inline FileOperand M(std::int32_t stackIndex) { return FileOperand::stack(stackIndex); }
inline FileOperand Arr(std::int32_t base, std::int32_t indexCell) { return FileOperand::array(base, indexCell); }
inline FileOperand Lbl(std::int32_t instr) { return FileOperand::label(instr); }
inline FileOperand Fn(std::int32_t func) { return FileOperand::function(func); }
inline FileOperand RV() { return FileOperand::retval(); }

// Frame-relative indices of a function with [locals] local cells.
inline std::int32_t local(int k) { return -2 - k; }
inline std::int32_t param(int locals, int k) { return -(locals + 3 + k); }

class ProgramBuilder {
 public:
  explicit ProgramBuilder(std::uint32_t globals = 0, std::uint32_t stackSize = 0) {
    s.globalSize = globals;
    s.stackSize = stackSize;
  }
  // Starts a function at the next instruction; params in listing order.
  int func(const std::string& name, int params = 0, int locals = 0) {
    s.funcs.push_back({static_cast<std::uint32_t>(s.instrs.size()), static_cast<std::uint8_t>(params),
                       static_cast<std::uint32_t>(locals), name});
    int index = static_cast<int>(s.funcs.size()) - 1;
    if (name == "_MAIN") {
      s.hasMain = true;
      s.mainIndex = static_cast<std::uint32_t>(index);
    }
    return index;
  }
  int here() const { return static_cast<int>(s.instrs.size()); }
  int emit(Op op, std::vector<FileOperand> operands = {}) {
    s.instrs.push_back({static_cast<std::uint16_t>(op), std::move(operands)});
    return here() - 1;
  }
  void patch(int instr, int operand, int target) {
    s.instrs[static_cast<std::size_t>(instr)].operands[static_cast<std::size_t>(operand)].value = target;
  }
  std::int32_t stringIndex(const std::string& text) {
    for (std::size_t i = 0; i < s.strings.size(); ++i) {
      if (s.strings[i] == text) return static_cast<std::int32_t>(i);
    }
    s.strings.push_back(text);
    return static_cast<std::int32_t>(s.strings.size() - 1);
  }
  FileOperand str(const std::string& text) { return FileOperand::string(stringIndex(text)); }
  FileOperand host(const std::string& name) { return FileOperand::host(stringIndex(name)); }

  script::AssembledScript s;
};

// What the recording host functions saw.
struct HostRecord {
  std::vector<std::string> failures;  // labels passed to htCheck with a false condition
  std::vector<std::string> values;    // texts passed to htRecord
  int calls = 0;
};
HostRecord& record();
// The group the test host functions talk to.
vm*& currentGroup();

// Registers: htCheck(label, ok), htRecord(v), htAdd2(a, b) -> a + b,
// htGetStr() -> "host".
void registerTestHosts();

// Per-test state: headless engine, fresh registry, log and record, temp dir.
class VmTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Loads [b] into a new group; the thread must load.
  vm_script& load(const ProgramBuilder& b);
  std::string logText() const;
  int errorBoxesWith(const std::string& text) const;

  ScopedTempDir dir_;
  script::GroupPtr group_;
  script::ThreadIndex thread_ = script::kNoThread;
  std::size_t boxesAtStart_ = 0;
};

}  // namespace vmtest
