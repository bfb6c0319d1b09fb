// Assembled script files: exact layout, round trip, and rejection of damaged files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/xLogFile.h"
#include "engine/options.h"
#include "engine/platform.h"
#include "script/runtime/bytecode_file.h"
#include "script/runtime/opcodes.h"
#include "script/runtime/vm_script.h"
#include "tests/script/runtime/runtime_fixture.h"
#include "tests/support/temp_dir.h"

using namespace script;
using namespace vmtest;

namespace {

// _MAIN: mov [0], 5 / exit 0; one unused string "hi".
AssembledScript smallScript() {
  ProgramBuilder b(2);
  b.func("_MAIN");
  b.emit(Op::MOV, {M(0), I(5)});
  b.emit(Op::EXIT, {I(0)});
  b.stringIndex("hi");
  return b.s;
}

// Every operand kind once.
AssembledScript everyKind() {
  ProgramBuilder b(4, 64);
  b.s.priorityKind = kPriorityNumber;
  b.s.priorityValue = 7;
  b.func("_MAIN", 0, 1);
  b.emit(Op::MOV, {M(0), I(-5)});
  b.emit(Op::MOV, {M(local(0)), Fl(2.5f)});
  b.emit(Op::CONCAT, {Arr(1, 0), b.str("text")});
  b.emit(Op::JE, {RV(), I(0), Lbl(0)});
  b.emit(Op::CALL, {Fn(1)});
  b.emit(Op::PUSHHPARAM, {b.str("text")});
  b.emit(Op::CALLHOST, {b.host("htRecord")});
  b.emit(Op::EXIT, {I(0)});
  b.func("F", 1, 0);
  b.emit(Op::RET);
  b.s.hostCalls = {"HTX"};
  return b.s;
}

int parseBytes(const std::vector<std::uint8_t>& bytes, AssembledScript& out) {
  return parseAssembledScript(bytes.data(), bytes.size(), out);
}

void putU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace

TEST(BytecodeFile, HeaderAndTablesAreLaidOutByteForByte) {
  std::vector<std::uint8_t> expected = {
      'V', 'E', 'K', 'T', 1, 2,
      0, 0, 0, 0,           // stack size
      2, 0, 0, 0,           // globals
      1, 0, 0, 0, 0,        // priority LOW, value 0
      1, 0, 0, 0, 0,        // has main, main index 0
      2, 0, 0, 0,           // instruction count
      0, 0, 2, 3, 0, 0, 0, 0, 0, 5, 0, 0, 0,  // mov [0], 5
      32, 0, 1, 0, 0, 0, 0, 0,                // exit 0
      1, 0, 0, 0, 2, 0, 0, 0, 'h', 'i',       // strings
      1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5, '_', 'M', 'A', 'I', 'N',  // functions
      0, 0, 0, 0,                             // host calls
  };
  EXPECT_EQ(serializeAssembledScript(smallScript()), expected);
}

TEST(BytecodeFile, RoundTripKeepsEveryField) {
  ScopedTempDir dir;
  AssembledScript original = everyKind();
  ASSERT_TRUE(writeAssembledFile(original, "every.vkasmb"));
  AssembledScript loaded;
  std::string why;
  ASSERT_EQ(readAssembledFile("every.vkasmb", loaded, &why), kLoadOk) << why;
  EXPECT_EQ(loaded, original);
  EXPECT_EQ(loaded.strings.size(), 2u);  // "text" twice and the host name: two entries
  EXPECT_FLOAT_EQ(loaded.instrs[1].operands[1].asFloat(), 2.5f);
}

TEST(BytecodeFile, ResultCodes) {
  ScopedTempDir dir;
  AssembledScript out;
  EXPECT_EQ(readAssembledFile("missing.vkasmb", out), kLoadCannotOpen);
  std::vector<std::uint8_t> bytes = serializeAssembledScript(smallScript());
  bytes[3] = 'X';
  EXPECT_EQ(parseBytes(bytes, out), kLoadBadMagic);
  bytes[3] = 'T';
  bytes[5] = 3;  // 1.3
  EXPECT_EQ(parseBytes(bytes, out), kLoadBadVersion);
  bytes[4] = 2, bytes[5] = 2;  // 2.2
  EXPECT_EQ(parseBytes(bytes, out), kLoadBadVersion);
  bytes[4] = 1;
  EXPECT_EQ(parseBytes(bytes, out), kLoadOk);
  bytes.push_back(0);
  EXPECT_EQ(parseBytes(bytes, out), kLoadMalformed);  // nothing may follow the host-call table
  // A file shorter than the header is truncated, whatever its first bytes say.
  EXPECT_EQ(parseBytes({'V', 'E', 'K'}, out), kLoadTruncated);
  EXPECT_EQ(parseBytes({'V', 'E', 'K', 'X', 1, 2}, out), kLoadTruncated);
  EXPECT_EQ(parseBytes({'V', 'E', 'K', 'T', 1, 3}, out), kLoadTruncated);
}

TEST(BytecodeFile, EveryTruncationFailsCleanly) {
  std::vector<std::uint8_t> bytes = serializeAssembledScript(everyKind());
  for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
    std::vector<std::uint8_t> part(bytes.begin(), bytes.begin() + static_cast<long>(cut));
    AssembledScript out;
    int result = parseBytes(part, out);
    EXPECT_NE(result, kLoadOk) << "cut at " << cut;
    EXPECT_TRUE(out.instrs.empty() && out.funcs.empty() && out.strings.empty());
  }
}

TEST(BytecodeFile, ForgedCountsAreCheckedBeforeAllocating) {
  std::vector<std::uint8_t> bytes = serializeAssembledScript(smallScript());
  AssembledScript out;
  std::vector<std::uint8_t> forged = bytes;
  putU32(forged, 24, 0xffffffffu);  // instruction count
  EXPECT_EQ(parseBytes(forged, out), kLoadTruncated);
  forged = bytes;
  putU32(forged, 49, 0x7fffffffu);  // string count
  EXPECT_EQ(parseBytes(forged, out), kLoadTruncated);
  forged = bytes;
  putU32(forged, 53, 0xfffffff0u);  // first string's length
  EXPECT_EQ(parseBytes(forged, out), kLoadTruncated);
}

TEST(BytecodeFile, ForgedIndicesAndOperandsAreRejected) {
  struct Case {
    const char* name;
    void (*forge)(AssembledScript&);
  };
  const Case cases[] = {
      {"main index", [](AssembledScript& s) { s.mainIndex = 3; }},
      {"function entry", [](AssembledScript& s) { s.funcs[1].entry = 99; }},
      {"jump target", [](AssembledScript& s) { s.instrs[3].operands[2].value = 9; }},
      {"negative jump", [](AssembledScript& s) { s.instrs[3].operands[2].value = -1; }},
      {"function index", [](AssembledScript& s) { s.instrs[4].operands[0].value = 2; }},
      {"string index", [](AssembledScript& s) { s.instrs[2].operands[1].value = 5; }},
      {"host name index", [](AssembledScript& s) { s.instrs[6].operands[0].value = -1; }},
      {"operand count", [](AssembledScript& s) { s.instrs[0].operands.pop_back(); }},
      {"extra operand", [](AssembledScript& s) { s.instrs[7].operands.push_back(FileOperand::integer(1)); }},
      {"constant destination", [](AssembledScript& s) { s.instrs[0].operands[0] = FileOperand::integer(0); }},
      {"label in value position", [](AssembledScript& s) { s.instrs[5].operands[0] = FileOperand::label(0); }},
      {"value as label", [](AssembledScript& s) { s.instrs[3].operands[2] = FileOperand::integer(0); }},
      {"integer as function", [](AssembledScript& s) { s.instrs[4].operands[0] = FileOperand::integer(1); }},
      {"string as host", [](AssembledScript& s) { s.instrs[6].operands[0].type = OP_TYPE_STRING; }},
      {"float in string position", [](AssembledScript& s) { s.instrs[2].operands[1] = FileOperand::floating(1); }},
      {"unknown operand type", [](AssembledScript& s) { s.instrs[5].operands[0].type = 9; }},
      {"globals beyond the stack", [](AssembledScript& s) { s.globalSize = 64; }},
      {"stack above the cap", [](AssembledScript& s) { s.stackSize = kMaxStackSize + 1; }},
  };
  for (const Case& c : cases) {
    AssembledScript s = everyKind();
    c.forge(s);
    AssembledScript out;
    int result = parseBytes(serializeAssembledScript(s), out);
    EXPECT_NE(result, kLoadOk) << c.name;
    EXPECT_TRUE(out.instrs.empty()) << c.name;
  }
}

TEST(BytecodeFile, AcceptedOddities) {
  // "" assembles as the integer 0, which string positions take.
  AssembledScript s = everyKind();
  s.instrs[2].operands[1] = FileOperand::integer(0);
  // Instructions that are never executed are not checked: opcodes above 49
  // and PARAM, with any operands (an unknown type carries no data).
  s.instrs.push_back({77, {FileOperand{12, 0, 0}, FileOperand::integer(1)}});
  s.instrs.push_back({static_cast<std::uint16_t>(Op::PARAM), {}});
  AssembledScript out;
  EXPECT_EQ(parseBytes(serializeAssembledScript(s), out), kLoadOk);
  EXPECT_EQ(out.instrs[9].operands.size(), 2u);
  EXPECT_EQ(effectiveStackSize(0), 1024u);
}

TEST(BytecodeFile, ThreadLoadsDefaultStackAndStaysEmptyOnFailure) {
  vmtest::ProgramBuilder b;  // stack size 0
  b.func("f");
  b.emit(Op::RET);
  engine::options().backend = engine::Backend::Headless;
  ScopedTempDir dir;
  ASSERT_TRUE(writeAssembledFile(b.s, "a.vkasmb"));
  vm_script thread;
  ASSERT_EQ(thread.loadBinary("a.vkasmb"), kLoadOk);
  EXPECT_EQ(thread.stackSize(), 1024);
  EXPECT_EQ(thread.ip(), -1);  // no main
  std::ofstream("bad.vkasmb", std::ios::binary) << "VEKT\x01\x02";
  EXPECT_EQ(thread.loadBinary("bad.vkasmb"), kLoadTruncated);
  EXPECT_FALSE(thread.isLoaded());
  EXPECT_EQ(thread.stackSize(), 0);
}

TEST(BytecodeFile, WriterReportsAnUnwritablePath) {
  engine::options().backend = engine::Backend::Headless;
  ScopedTempDir dir;
  std::size_t boxes = engine::recordedMessageBoxes().size();
  EXPECT_FALSE(writeAssembledFile(smallScript(), "no/such/dir/x.vkasmb"));
  ASSERT_EQ(engine::recordedMessageBoxes().size(), boxes + 1);
  EXPECT_EQ(engine::recordedMessageBoxes().back(),
            "Error: Fatal Error: Could not open executable file for output: no/such/dir/x.vkasmb "
            "(No such file or directory).\n");
  std::filesystem::create_symlink("/dev/full", "full.vkasmb");
  EXPECT_FALSE(writeAssembledFile(smallScript(), "full.vkasmb"));
  EXPECT_EQ(engine::recordedMessageBoxes().back(),
            "Error: Fatal Error: Could not write executable file: full.vkasmb (No space left on device).\n");
}

TEST(Opcodes, TableLookups) {
  EXPECT_STREQ(instrNameTable[0], "mov");
  EXPECT_STREQ(instrNameTable[49], "randomFloat");
  EXPECT_EQ(findMnemonic("xOR"), Op::XOR);
  EXPECT_EQ(findMnemonic("pushhparam"), Op::PUSHHPARAM);
  EXPECT_FALSE(findMnemonic("param").has_value());
  EXPECT_EQ(findOp(50), nullptr);
}
