// The interpreter, one program per instruction family.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "engine/platform.h"
#include "tests/script/runtime/runtime_fixture.h"

using namespace vmtest;

namespace {

class Interpreter : public VmTest {
 protected:
  // Runs [b]'s function "T" from the host; returns the thread.
  vm_script& runT(ProgramBuilder& b) {
    vm_script& t = load(b);
    EXPECT_TRUE(t.callFunc("t"));
    return t;
  }
};

void expectInt(const vm_value& v, std::int32_t expected, const char* what) {
  EXPECT_EQ(v.type, OP_TYPE_INT) << what;
  EXPECT_EQ(v.intValue, expected) << what;
}

void expectFloat(const vm_value& v, float expected, const char* what) {
  EXPECT_EQ(v.type, OP_TYPE_FLOAT) << what;
  EXPECT_FLOAT_EQ(v.floatValue, expected) << what;
}

void expectText(const vm_value& v, const std::string& expected, const char* what) {
  EXPECT_EQ(v.type, OP_TYPE_STRING) << what;
  EXPECT_EQ(v.text, expected) << what;
}

}  // namespace

TEST_F(Interpreter, MixedTypeArithmetic) {
  ProgramBuilder b(24);
  b.func("T");
  auto set = [&](int cell, FileOperand v) { b.emit(Op::MOV, {M(cell), v}); };
  set(0, I(7)), b.emit(Op::ADD, {M(0), Fl(2.5f)});
  set(1, Fl(7)), b.emit(Op::ADD, {M(1), b.str("2")});
  set(2, I(7)), b.emit(Op::DIV, {M(2), I(2)});
  set(3, Fl(7)), b.emit(Op::MOD, {M(3), I(2)});
  set(4, I(2)), b.emit(Op::EXP, {M(4), I(10)});
  set(5, I(2)), b.emit(Op::EXP, {M(5), Fl(0.5f)});
  set(6, I(INT_MAX)), b.emit(Op::ADD, {M(6), I(1)});
  set(7, I(-7)), b.emit(Op::MOD, {M(7), I(2)});
  set(8, I(INT_MIN)), b.emit(Op::MOD, {M(8), I(-1)});
  set(9, I(5)), b.emit(Op::MOD, {M(9), I(0)});
  set(10, I(1)), b.emit(Op::SHL, {M(10), I(-1)});
  set(11, I(-8)), b.emit(Op::SHR, {M(11), I(33)});
  set(12, I(-8)), b.emit(Op::EXP, {M(12), b.str("0.5")});  // NaN as an integer is 0
  set(13, I(5)), b.emit(Op::OR, {M(13), Fl(std::nanf(""))});
  set(14, I(INT_MIN)), b.emit(Op::NEG, {M(14)});
  set(15, I(INT_MAX)), b.emit(Op::INC, {M(15)});
  set(16, I(65536)), b.emit(Op::MUL, {M(16), I(65536)});
  set(17, b.str("s")), b.emit(Op::ADD, {M(17), I(1)});
  set(18, I(12)), b.emit(Op::XOR, {M(18), I(10)}), b.emit(Op::NOT, {M(18)});
  set(19, Fl(1.5f)), b.emit(Op::SUB, {M(19), I(4)}), b.emit(Op::MUL, {M(19), b.str("2")});
  set(20, Fl(1)), b.emit(Op::DIV, {M(20), I(0)});
  set(21, I(3)), b.emit(Op::SUB, {M(21), Fl(0.5f)}), b.emit(Op::DEC, {M(21)});
  set(22, I(6)), b.emit(Op::MOV, {M(22), M(22)}), b.emit(Op::ADD, {M(22), M(22)});
  set(23, I(3)), b.emit(Op::EXP, {M(23), I(16)});
  b.emit(Op::RET);
  vm_script& t = runT(b);
  expectFloat(t.cellAt(0), 9.5f, "int add float");
  expectFloat(t.cellAt(1), 9.0f, "float add string");
  expectFloat(t.cellAt(2), 3.5f, "div gives float");
  expectFloat(t.cellAt(3), 7.0f, "mod on float unchanged");
  expectInt(t.cellAt(4), 1024, "int exp int");
  expectFloat(t.cellAt(5), 1.4142135f, "int exp float");
  expectInt(t.cellAt(6), INT_MIN, "add wraps");
  expectInt(t.cellAt(7), -1, "mod has the sign of D");
  expectInt(t.cellAt(8), 0, "INT_MIN % -1");
  expectInt(t.cellAt(9), 5, "mod by zero unchanged");
  expectInt(t.cellAt(10), INT_MIN, "shl by -1 is by 31");
  expectInt(t.cellAt(11), -4, "shr arithmetic, count & 31");
  expectInt(t.cellAt(12), 0, "NaN to int");
  expectInt(t.cellAt(13), 5, "NaN operand as int");
  expectInt(t.cellAt(14), INT_MIN, "neg wraps");
  expectInt(t.cellAt(15), INT_MIN, "inc wraps");
  expectInt(t.cellAt(16), 0, "mul wraps");
  expectText(t.cellAt(17), "s", "add on a string unchanged");
  expectInt(t.cellAt(18), ~(12 ^ 10), "xor, not");
  expectFloat(t.cellAt(19), -5.0f, "float sub int, mul string");
  EXPECT_TRUE(std::isinf(t.cellAt(20).floatValue));
  expectFloat(t.cellAt(21), 1.5f, "int sub float, dec float");
  expectInt(t.cellAt(22), 12, "aliasing mov and add");
  expectInt(t.cellAt(23), 43046721, "int exp int beyond a float's integers");
  EXPECT_NE(logText().find("mod by zero"), std::string::npos);
}

TEST_F(Interpreter, MathFunctionsTakeDegrees) {
  ProgramBuilder b(13);
  b.func("T");
  b.emit(Op::SIN, {M(0), I(90)});
  b.emit(Op::COS, {M(1), Fl(180)});
  b.emit(Op::TAN, {M(2), I(45)});
  b.emit(Op::REC, {M(3), I(0)});
  b.emit(Op::REC, {M(4), Fl(4)});
  b.emit(Op::LG, {M(5), I(100)});
  b.emit(Op::LN, {M(6), Fl(1)});
  b.emit(Op::EXPL, {M(7), I(0)});
  b.emit(Op::CH, {M(8), I(0)});
  b.emit(Op::TH, {M(9), I(0)});
  b.emit(Op::MOV, {M(10), b.str("16")});
  b.emit(Op::SQRT, {M(10), M(10)});
  b.emit(Op::TAN, {M(11), I(90)});
  b.emit(Op::SH, {M(12), Fl(0.001f)});
  b.emit(Op::RET);
  vm_script& t = runT(b);
  expectFloat(t.cellAt(0), 1.0f, "sin 90");
  expectFloat(t.cellAt(1), -1.0f, "cos 180");
  EXPECT_NEAR(t.cellAt(2).floatValue, 1.0f, 1e-6f);
  expectFloat(t.cellAt(3), 0.0f, "rec 0");
  expectFloat(t.cellAt(4), 0.25f, "rec 4");
  expectFloat(t.cellAt(5), 2.0f, "lg");
  expectFloat(t.cellAt(6), 0.0f, "ln");
  expectFloat(t.cellAt(7), 1.0f, "expl");
  expectFloat(t.cellAt(8), 1.0f, "ch is the hyperbolic cosine");
  expectFloat(t.cellAt(9), 0.0f, "th");
  expectFloat(t.cellAt(10), 4.0f, "sqrt of a string in place");
  // The float nearest the true value, not an ulp or more off.
  EXPECT_EQ(t.cellAt(11).floatValue, -22877332.0f) << "tan of the float nearest 90 degrees";
  EXPECT_EQ(t.cellAt(12).floatValue, static_cast<float>(std::sinh(static_cast<double>(0.001f)))) << "sh near 0";
}

TEST_F(Interpreter, Strings) {
  ProgramBuilder b(16);
  b.func("T");
  b.emit(Op::MOV, {M(14), I(5)});
  b.emit(Op::MOV, {M(0), b.str("abc")}), b.emit(Op::CONCAT, {M(0), M(14)});
  b.emit(Op::MOV, {M(14), Fl(2.5f)});
  b.emit(Op::MOV, {M(1), b.str("abc")}), b.emit(Op::CONCAT, {M(1), M(14)});
  b.emit(Op::MOV, {M(14), M(15)});
  b.emit(Op::MOV, {M(2), I(12)}), b.emit(Op::CONCAT, {M(2), b.str("3")});
  b.emit(Op::MOV, {M(3), Fl(1.5f)}), b.emit(Op::CONCAT, {M(3), b.str("7")});
  b.emit(Op::MOV, {M(4), b.str("ab")}), b.emit(Op::CONCAT, {M(4), M(4)});
  b.emit(Op::GETCHAR, {M(5), b.str("abc"), I(3)});
  b.emit(Op::GETCHAR, {M(6), b.str("abc"), I(1)});
  b.emit(Op::MOV, {M(7), b.str("xyz")}), b.emit(Op::GETCHAR, {M(7), M(7), I(2)});
  b.emit(Op::MOV, {M(8), b.str("abc")}), b.emit(Op::SETCHAR, {M(8), I(1), I(0)});  // "" is integer 0 -> "0"
  b.emit(Op::MOV, {M(9), b.str("abc")}), b.emit(Op::SETCHAR, {M(9), I(1), M(15)});  // M(15) unset: no text
  b.emit(Op::MOV, {M(10), b.str("abc")}), b.emit(Op::SETCHAR, {M(10), I(-1), b.str("X")});
  b.emit(Op::MOV, {M(11), I(4)}), b.emit(Op::SETCHAR, {M(11), I(0), b.str("X")});
  b.emit(Op::CONCAT, {M(12), b.str("x")});  // null destination
  b.emit(Op::MOV, {M(13), b.str("\xc4\xe3")}), b.emit(Op::CONCAT, {M(13), M(14)});
  b.emit(Op::PRINT, {b.str("printed text")});
  b.emit(Op::RET);
  vm_script& t = runT(b);
  expectText(t.cellAt(0), "abc5", "string concat int");
  expectText(t.cellAt(1), "abc2.500000", "string concat float");
  expectInt(t.cellAt(2), 123, "int concat");
  expectFloat(t.cellAt(3), 1.507f, "float concat uses two decimals");
  expectText(t.cellAt(4), "abab", "concat s, s");
  expectText(t.cellAt(5), "", "getchar past the end");
  expectText(t.cellAt(6), "b", "getchar");
  expectText(t.cellAt(7), "z", "getchar in place");
  expectText(t.cellAt(8), "a0c", "setchar with integer text");
  expectText(t.cellAt(9), "a", "setchar with no text cuts");
  expectText(t.cellAt(10), "abc", "setchar bad index");
  expectInt(t.cellAt(11), 4, "setchar on an integer");
  EXPECT_EQ(t.cellAt(12).type, OP_TYPE_NULL);
  expectText(t.cellAt(13), "\xc4\xe3", "concat of no text");
  std::string log = logText();
  EXPECT_NE(log.find("Warning: Error char index"), std::string::npos);
  EXPECT_NE(log.find("Warning: Invalid concat a string to a nonstring value, break"), std::string::npos);
  EXPECT_NE(log.find("printed text"), std::string::npos);
}

TEST_F(Interpreter, EveryComparisonReportsThroughTheHost) {
  struct Case {
    Op op;
    FileOperand a, b;
    bool jumps;
    const char* label;
  };
  ProgramBuilder b(2);
  float nan = std::nanf("");
  const Case cases[] = {
      {Op::JE, I(3), I(3), true, "je int"},
      {Op::JE, I(3), b.str("3"), true, "je int string"},
      {Op::JE, Fl(1), I(1), true, "je float int"},
      {Op::JE, b.str("ab"), b.str("ab"), true, "je strings"},
      {Op::JE, b.str("ab"), b.str("ac"), false, "je different strings"},
      {Op::JE, b.str("5"), I(5), true, "je string int text"},
      {Op::JE, M(1), I(0), false, "je unset"},
      {Op::JNE, M(1), I(0), false, "jne unset"},
      {Op::JNE, b.str("ab"), b.str("ac"), true, "jne strings"},
      {Op::JNE, Fl(nan), Fl(nan), true, "jne nan"},
      {Op::JE, Fl(nan), Fl(nan), false, "je nan"},
      {Op::JG, I(3), I(2), true, "jg"},
      {Op::JG, I(2), I(3), false, "jg false"},
      {Op::JG, Fl(2.5f), I(2), true, "jg float int"},
      {Op::JL, I(2), Fl(2.5f), false, "jl int float converts B"},
      {Op::JL, I(-1), I(0), true, "jl"},
      {Op::JGE, I(2), I(2), true, "jge"},
      {Op::JLE, I(3), I(2), false, "jle"},
      {Op::JLE, Fl(nan), I(0), false, "jle nan"},
      {Op::JG, b.str("b"), b.str("a"), false, "jg string"},
  };
  b.func("T");
  for (const Case& c : cases) {
    int jump = b.emit(c.op, {c.a, c.b, Lbl(0)});
    b.emit(Op::PUSHHPARAM, {b.str(c.label)});
    b.emit(Op::PUSHHPARAM, {I(c.jumps ? 0 : 1)});
    int skip = b.emit(Op::JMP, {Lbl(0)});
    b.patch(jump, 2, b.here());
    b.emit(Op::PUSHHPARAM, {b.str(c.label)});
    b.emit(Op::PUSHHPARAM, {I(c.jumps ? 1 : 0)});
    b.patch(skip, 0, b.here());
    b.emit(Op::CALLHOST, {b.host("htCheck")});
  }
  int self = b.here();
  b.emit(Op::JMP, {Lbl(self)});  // a jump to itself goes on
  b.emit(Op::PUSHHPARAM, {b.str("after self jump")});
  b.emit(Op::CALLHOST, {b.host("HTRECORD")});
  b.emit(Op::RET);
  runT(b);
  EXPECT_EQ(record().calls, static_cast<int>(std::size(cases)) + 1);
  EXPECT_TRUE(record().failures.empty()) << ::testing::PrintToString(record().failures);
  EXPECT_EQ(record().values, std::vector<std::string>{"after self jump"});
}

TEST_F(Interpreter, CallsPassArgumentsLastPushedFirst) {
  ProgramBuilder b(4);
  // SUB2(p0, p1) in listing order: returns p0 - p1 through _RETVAL.
  int sub2 = b.func("SUB2", 2, 1);
  b.emit(Op::MOV, {M(local(0)), M(param(1, 0))});
  b.emit(Op::SUB, {M(local(0)), M(param(1, 1))});
  b.emit(Op::MOV, {RV(), M(local(0))});
  b.emit(Op::RET);
  b.func("T");
  b.emit(Op::PUSH, {I(10)});
  b.emit(Op::PUSH, {I(3)});
  b.emit(Op::CALL, {Fn(sub2)});
  b.emit(Op::MOV, {M(0), RV()});
  b.emit(Op::RET);
  vm_script& t = load(b);
  int top = t.top();
  ASSERT_TRUE(t.callFunc("t"));
  expectInt(t.cellAt(0), 3 - 10, "script call");
  // The game pushes in source order too: the last pushed is the first parameter.
  group_->pushIntParam(thread_, 10);
  group_->pushIntParam(thread_, 3);
  ASSERT_TRUE(group_->callFunc(thread_, "sub2"));
  expectInt(t.retval(), 3 - 10, "host call");
  EXPECT_EQ(t.top(), top);
  EXPECT_TRUE(group_->callFunc(thread_, "Sub2"));  // any case; missing arguments are null
  EXPECT_EQ(t.retval().type, OP_TYPE_NULL);
  EXPECT_EQ(t.top(), top);
}

TEST_F(Interpreter, RecursionInTailPositionKeepsTheCallersRet) {
  ProgramBuilder b(2);
  // DOWN(n): if n <= 0 { g0 += 1; ret } else { push n - 1; call DOWN; ret }
  int down = b.func("DOWN", 1, 1);
  int test = b.emit(Op::JLE, {M(param(1, 0)), I(0), Lbl(0)});
  b.emit(Op::MOV, {M(local(0)), M(param(1, 0))});
  b.emit(Op::DEC, {M(local(0))});
  b.emit(Op::PUSH, {M(local(0))});
  b.emit(Op::CALL, {Fn(down)});
  b.emit(Op::RET);
  b.patch(test, 2, b.here());
  b.emit(Op::INC, {M(0)});
  b.emit(Op::RET);
  b.func("T");
  b.emit(Op::MOV, {M(0), I(0)});
  b.emit(Op::MOV, {M(1), I(0)});
  b.emit(Op::PUSH, {I(5)});
  b.emit(Op::CALL, {Fn(down)});
  b.emit(Op::INC, {M(1)});
  b.emit(Op::RET);
  vm_script& t = load(b);
  int top = t.top();
  ASSERT_TRUE(t.callFunc("T"));
  expectInt(t.cellAt(0), 1, "base case ran once");
  expectInt(t.cellAt(1), 1, "the outer caller resumed once");
  EXPECT_EQ(t.top(), top);
}

TEST_F(Interpreter, ArrayIndicesAreCheckedAtRunTime) {
  ProgramBuilder b(8, 64);
  // Global array at 1..3, index variable at 5, marker in cell 0.
  b.func("T", 0, 4);  // local array at -3 downward (-3, -4, -5)
  b.emit(Op::MOV, {M(0), I(99)});
  b.emit(Op::MOV, {M(5), I(2)});
  b.emit(Op::MOV, {Arr(1, 5), I(42)});      // cell 3
  b.emit(Op::MOV, {M(5), I(-2)});
  b.emit(Op::MOV, {M(6), Arr(1, 5)});       // cell -1: reads cell 0
  b.emit(Op::MOV, {Arr(1, 5), I(7)});       // write dropped
  b.emit(Op::MOV, {M(5), I(INT_MAX)});
  b.emit(Op::MOV, {M(7), Arr(1, 5)});       // far beyond: reads cell 0
  b.emit(Op::MOV, {M(local(0)), I(1)});     // local index variable
  b.emit(Op::MOV, {Arr(-3, local(0)), I(11)});  // -4
  b.emit(Op::MOV, {M(4), M(local(2))});
  b.emit(Op::MOV, {M(5), I(INT_MIN)});
  b.emit(Op::MOV, {Arr(-3, 5), I(1)});      // -3 - INT_MIN overflows 32 bits: dropped
  b.emit(Op::MOV, {M(2), M(5000)});         // beyond the stack: cell 0
  b.emit(Op::RET);
  vm_script& t = runT(b);
  expectInt(t.cellAt(3), 42, "element 2");
  expectInt(t.cellAt(6), 99, "negative index reads cell 0");
  expectInt(t.cellAt(7), 99, "huge index reads cell 0");
  expectInt(t.cellAt(4), 11, "local array counts downward");
  expectInt(t.cellAt(2), 99, "stack index beyond the stack");
  expectInt(t.cellAt(0), 99, "dropped writes leave cell 0 alone");
  EXPECT_NE(logText().find("outside the stack dropped"), std::string::npos);
}

// Frame cells are read without a check when they lie within the padding
// below cell 0 (a frame below cell 0 only comes from a hand-made file);
// deeper ones, and arrays based there, take the checked path.
TEST_F(Interpreter, FrameCellsBelowTheStackStaySafe) {
  ProgramBuilder b(4, 8192);
  b.func("T", 0, 1);  // frame base 6: cell -100 lies below cell 0
  b.emit(Op::MOV, {M(0), I(99)});
  b.emit(Op::MOV, {M(1), M(-5000)});                  // beyond the padding: reads cell 0
  b.emit(Op::MOV, {M(-5000), I(5)});                  // dropped
  b.emit(Op::MOV, {M(2), M(-100)});                   // within the padding: a cell of its own
  b.emit(Op::MOV, {M(-100), I(7)});
  b.emit(Op::MOV, {M(local(0)), I(0)});
  b.emit(Op::MOV, {M(3), Arr(-5000, local(0))});      // array based beyond the padding
  b.emit(Op::RET);
  vm_script& t = runT(b);
  expectInt(t.cellAt(1), 99, "far frame cell reads cell 0");
  EXPECT_EQ(t.cellAt(2).type, OP_TYPE_NULL);
  expectInt(t.cellAt(3), 99, "far array reads cell 0");
  expectInt(t.cellAt(0), 99, "no write reached cell 0");
  EXPECT_NE(logText().find("outside the stack dropped"), std::string::npos);
}

TEST_F(Interpreter, HostCallsAndNestedArguments) {
  ProgramBuilder b(6);
  b.func("T");
  b.emit(Op::PUSHHPARAM, {I(3)}), b.emit(Op::PUSHHPARAM, {I(4)});
  b.emit(Op::CALLHOST, {b.host("htadd2")}), b.emit(Op::MOV, {M(0), RV()});
  // htAdd2(1, htAdd2(2, 3)): the inner result leaves the outer argument.
  b.emit(Op::PUSHHPARAM, {I(1)});
  b.emit(Op::PUSHHPARAM, {I(2)}), b.emit(Op::PUSHHPARAM, {I(3)});
  b.emit(Op::CALLHOST, {b.host("HTADD2")});
  b.emit(Op::PUSHHPARAM, {RV()});
  b.emit(Op::CALLHOST, {b.host("htAdd2")}), b.emit(Op::MOV, {M(1), RV()});
  b.emit(Op::CALLHOST, {b.host("htGetStr")}), b.emit(Op::MOV, {M(2), RV()});
  b.emit(Op::MOV, {RV(), I(9)});
  b.emit(Op::PUSHHPARAM, {I(1)});
  b.emit(Op::CALLHOST, {b.host("htMissing")}), b.emit(Op::MOV, {M(3), RV()});
  b.emit(Op::PUSHHPARAM, {Fl(2.5f)});
  b.emit(Op::CALLHOST, {b.host("htRecord")}), b.emit(Op::MOV, {M(4), RV()});
  b.emit(Op::RET);
  vm_script& t = runT(b);
  expectInt(t.cellAt(0), 7, "host result");
  expectInt(t.cellAt(1), 6, "nested host call");
  expectText(t.cellAt(2), "host", "string result");
  expectInt(t.cellAt(3), 0, "unknown host gives 0");
  expectInt(t.cellAt(4), 0, "no result gives 0");
  EXPECT_EQ(record().values, std::vector<std::string>{"2.500000"});
  EXPECT_NE(logText().find("vm_script::callHostAPIFunc: Error calling host API function: HTMISSING"),
            std::string::npos);
  EXPECT_EQ(t.hostArgCount(), 0u);  // leftovers go when the call ends
}

TEST_F(Interpreter, RandomWithEqualBounds) {
  ProgramBuilder b(2);
  b.func("T");
  b.emit(Op::MOV, {M(0), b.str("5")});
  b.emit(Op::RANDOM_INT, {M(0), I(5), M(0)});
  b.emit(Op::RANDOM_FLOAT, {M(1), Fl(2.5f), Fl(2.5f)});
  b.emit(Op::RET);
  vm_script& t = runT(b);
  expectInt(t.cellAt(0), 5, "randomInt");
  expectFloat(t.cellAt(1), 2.5f, "randomFloat");
}

TEST_F(Interpreter, PauseHoldsTheCaller) {
  ProgramBuilder b(1);
  b.func("T");
  b.emit(Op::PAUSE, {I(40)});
  b.emit(Op::MOV, {M(0), I(1)});
  b.emit(Op::RET);
  vm_script& t = load(b);
  std::uint64_t start = engine::monotonicMillis();
  ASSERT_TRUE(t.callFunc("T"));
  EXPECT_GE(engine::monotonicMillis() - start, 40u);
  expectInt(t.cellAt(0), 1, "after the pause");
}
