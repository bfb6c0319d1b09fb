// Listings with every instruction and operand kind, assembled, written, loaded and run on the runtime.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "base/xLogFile.h"
#include "script/runtime/vm.h"
#include "script/runtime/xHostAPIManager.h"
#include "script/assembler/xScriptAssembler.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr script::GroupId kGroup{0};
vm* gGroup = nullptr;  // the group the host functions below read from

// htTestSum(a, b) -> a + b
void hostSum(script::ThreadIndex thread, script::GroupId) {
  std::int32_t b = gGroup->getParamAsInt(thread, 0);
  std::int32_t a = gGroup->getParamAsInt(thread, 1);
  gGroup->returnIntFromHost(thread, 2, a + b);
}

// htTestUpper(text) -> the text with "!" appended
void hostShout(script::ThreadIndex thread, script::GroupId) {
  std::string text = gGroup->getParamAsString(thread, 0) + "!";
  gGroup->returnStringFromHost(thread, 1, text.c_str());
}

// Assembles a listing to a file, loads the file into a fresh group and runs
// one of its functions. Globals are then read by stack index.
class AssemblerRun : public ::testing::Test {
 protected:
  void SetUp() override {
    xLogFile::resetForTests();
    xHostAPIManager::resetForTests();
    xHostAPIManager::getInstance()->addFunc("htTestSum", hostSum);
    xHostAPIManager::getInstance()->addFunc("htTestShout", hostShout);
    group_.reset(new vm(kGroup));
    gGroup = group_.get();
  }
  void TearDown() override {
    gGroup = nullptr;
    group_.reset();
    xHostAPIManager::resetForTests();
    xLogFile::resetForTests();
  }

  void run(const std::string& listing, const char* func = "_MAIN") {
    xScriptAssembler assembler;
    assembler.loadText(listing, "run.vkasm");
    script::AsmResult result = assembler.assembleChecked();
    ASSERT_TRUE(result.ok) << result.message << " at line " << result.line;
    ASSERT_TRUE(assembler.writeBinary("run.vkasmb"));
    thread_ = group_->loadScript("run.vkasmb");
    ASSERT_NE(thread_, script::kNoThread);
    ASSERT_TRUE(group_->callFunc(thread_, func));
  }

  const vm_value& cell(int index) { return group_->getThread(thread_)->cellAt(index); }
  void expectInt(int index, std::int32_t value) {
    SCOPED_TRACE("cell " + std::to_string(index));
    ASSERT_EQ(cell(index).type, OP_TYPE_INT);
    EXPECT_EQ(cell(index).intValue, value);
  }
  void expectFloat(int index, float value) {
    SCOPED_TRACE("cell " + std::to_string(index));
    ASSERT_EQ(cell(index).type, OP_TYPE_FLOAT);
    EXPECT_NEAR(cell(index).floatValue, value, 1e-5f);
  }
  void expectString(int index, const std::string& value) {
    SCOPED_TRACE("cell " + std::to_string(index));
    ASSERT_EQ(cell(index).type, OP_TYPE_STRING);
    EXPECT_EQ(cell(index).text, value);
  }

  ScopedTempDir dir_;
  script::GroupPtr group_;
  script::ThreadIndex thread_ = script::kNoThread;
};

// R [ i ] is cell 1 + i.
TEST_F(AssemblerRun, ArithmeticAndBitwise) {
  run("SetStackSize 128\nVar T\nVar R [ 20 ]\nFunc _Main\n{\n"
      " Mov R [ 0 ], 7\n Add R [ 0 ], 5\n"
      " Mov R [ 1 ], 7\n Sub R [ 1 ], 10\n"
      " Mov R [ 2 ], 6\n Mul R [ 2 ], -4\n"
      " Mov R [ 3 ], 7\n Div R [ 3 ], 2\n"
      " Mov R [ 4 ], -7\n Mod R [ 4 ], 3\n"
      " Mov R [ 5 ], 2\n Exp R [ 5 ], 10\n"
      " Mov R [ 6 ], 5\n Neg R [ 6 ]\n"
      " Mov R [ 7 ], 5\n Inc R [ 7 ]\n"
      " Mov R [ 8 ], 5.5\n Dec R [ 8 ]\n"
      " Mov R [ 9 ], 12\n And R [ 9 ], 10\n"
      " Mov R [ 10 ], 12\n Or R [ 10 ], 3\n"
      " Mov R [ 11 ], 12\n XOr R [ 11 ], 10\n"
      " Mov R [ 12 ], 0\n Not R [ 12 ]\n"
      " Mov R [ 13 ], 3\n ShL R [ 13 ], 4\n"
      " Mov R [ 14 ], -64\n ShR R [ 14 ], 3\n"
      " Mov R [ 15 ], 7\n Add R [ 15 ], 2.5\n"
      " Mov R [ 16 ], 7.0\n Add R [ 16 ], \"2\"\n"
      " Mov R [ 17 ], R [ 0 ]\n Mul R [ 17 ], R [ 7 ]\n"
      "}");
  expectInt(1, 12);
  expectInt(2, -3);
  expectInt(3, -24);
  expectFloat(4, 3.5f);
  expectInt(5, -1);
  expectInt(6, 1024);
  expectInt(7, -5);
  expectInt(8, 6);
  expectFloat(9, 4.5f);
  expectInt(10, 8);
  expectInt(11, 15);
  expectInt(12, 6);
  expectInt(13, -1);
  expectInt(14, 48);
  expectInt(15, -8);
  expectFloat(16, 9.5f);
  expectFloat(17, 9.0f);
  expectInt(18, 72);
}

TEST_F(AssemblerRun, MathFunctionsTakeEveryNumberForm) {
  run("Var T\nVar R [ 14 ]\nFunc _Main\n{\n"
      " Sin R [ 0 ], 90\n Cos R [ 1 ], 0.0\n"
      " Mov _RetVal, 1\n Ln R [ 2 ], _RetVal\n"
      " Lg R [ 3 ], 1000\n Expl R [ 4 ], 0\n Rec R [ 5 ], 4\n Rec R [ 6 ], 0\n"
      " Sh R [ 7 ], 0\n Th R [ 8 ], 0\n"
      " Mov R [ 10 ], 16\n Sqrt R [ 9 ], R [ 10 ]\n"
      " Tan R [ 11 ], 45\n Ch R [ 12 ], 0\n"
      "}");
  expectFloat(1, 1.0f);
  expectFloat(2, 1.0f);
  expectFloat(3, 0.0f);
  expectFloat(4, 3.0f);
  expectFloat(5, 1.0f);
  expectFloat(6, 0.25f);
  expectFloat(7, 0.0f);
  expectFloat(8, 0.0f);
  expectFloat(9, 0.0f);
  expectFloat(10, 4.0f);
  expectFloat(12, 1.0f);
  expectFloat(13, 1.0f);
}

TEST_F(AssemblerRun, StringsEscapesAndTextInstructions) {
  run("Var T\nVar R [ 8 ]\nFunc _Main\n{\n"
      " Mov R [ 0 ], \"ab\"\n Concat R [ 0 ], \"c\\\"\\n\"\n"
      " Mov R [ 1 ], 12\n Concat R [ 1 ], \"3\"\n"
      " GetChar R [ 2 ], \"hello\", 1\n"
      " Mov R [ 3 ], \"abc\"\n SetChar R [ 3 ], 1, \"X\"\n"
      " Mov R [ 4 ], \"\"\n"
      " Mov R [ 5 ], \"Keep Case\"\n"
      " Mov R [ 6 ], 1.5\n Concat R [ 6 ], \"7\"\n"
      "}");
  expectString(1, "abc\"\n");
  expectInt(2, 123);
  expectString(3, "e");
  expectString(4, "aXc");
  expectInt(5, 0);
  expectString(6, "Keep Case");
  expectFloat(7, 1.507f);
}

// Sum of 1..10 by a loop, and every comparison jump taken or not by the
// type of its first operand.
TEST_F(AssemblerRun, JumpsAndLabels) {
  run("Var T\nVar Sum\nVar I\nVar R [ 8 ]\nFunc _Main\n{\n"
      " Mov Sum, 0\n Mov I, 1\n"
      "Loop:\n Add Sum, I\n Inc I\n JLE I, 10, Loop\n"
      " Mov R [ 0 ], 0\n JE \"same\", \"same\", Eq\n Mov R [ 0 ], 99\n"
      "Eq:\n JNE 1.5, 1.5, Skip\n Mov R [ 1 ], 1\n"
      "Skip:\n JG 3, 2, G1\n Mov R [ 2 ], 99\n Jmp After\n"
      "G1:\n Mov R [ 2 ], 1\n"
      "After:\n JL 3, 2, Bad\n JGE 2.5, 2.5, Ge\n"
      "Bad:\n Mov R [ 3 ], 99\n"
      "Ge:\n JLE -1, -2, Bad\n Mov R [ 4 ], 1\n"
      "}");
  expectInt(1, 55);
  expectInt(2, 11);
  expectInt(3, 0);
  expectInt(4, 1);
  expectInt(5, 1);
  EXPECT_EQ(cell(6).type, OP_TYPE_NULL) << "the jump passed over the store";
  expectInt(7, 1);
}

// Parameters sit below the locals: the last value pushed is the first
// declared parameter, so a swapped placement changes the results.
TEST_F(AssemblerRun, CallsParametersLocalsAndArrays) {
  run("Var T\nVar Diff\nVar Fact\nVar Sum\nVar G [ 4 ]\n"
      "Func Minus\n{\n Param X\n Param Y\n Var L\n Var Arr [ 3 ]\n Var I\n"
      " Mov I, 2\n Mov Arr [ I ], X\n Mov Arr [ 0 ], Y\n Mov L, Arr [ 2 ]\n"
      " Sub L, Arr [ 0 ]\n Mov _RetVal, L\n}\n"
      "Func Factorial\n{\n Param N\n"
      " JG N, 1, Recurse\n Mov _RetVal, 1\n Ret\n"
      "Recurse:\n Mov T, N\n Dec T\n Push T\n Call Factorial\n Mul _RetVal, N\n}\n"
      "Func _Main\n{\n Var K\n"
      " Push 3\n Push 10\n Call Minus\n Mov Diff, _RetVal\n"
      " Push 5\n Call Factorial\n Mov Fact, _RetVal\n"
      " Mov K, 0\n Mov Sum, 0\nFill:\n Mov G [ K ], K\n Add Sum, G [ K ]\n Inc K\n JL K, 4, Fill\n"
      " Push 9\n Pop T\n"
      "}");
  expectInt(0, 9);
  expectInt(1, 7);
  expectInt(2, 120);
  expectInt(3, 6);
  expectInt(4, 0);
  expectInt(7, 3);
}

// Locals are not cleared: a new frame's local reads what an earlier call left
// in its cell, a popped text included.
TEST_F(AssemblerRun, ALocalReadsWhatAnEarlierCallLeftInItsCell) {
  run("Var T\nVar Seen\n"
      "Func Leave\n{\n Push \"left\"\n Pop T\n}\n"
      "Func Look\n{\n Var A\n Var B\n Mov Seen, A\n}\n"
      "Func _Main\n{\n Call Leave\n Call Look\n}");
  expectString(0, "left");
  expectString(1, "left");
}

TEST_F(AssemblerRun, HostCallsAndTheRest) {
  run("Var T\nVar R [ 8 ]\nFunc _Main\n{\n"
      " Mov R [ 7 ], 5\n PushHParam 4\n PushHParam R [ 7 ]\n CallHost htTestSum\n Mov R [ 0 ], _RetVal\n"
      " PushHParam \"hey\"\n CallHost HTTESTSHOUT\n Mov R [ 1 ], _RetVal\n"
      " CallHost htNobodyHome\n Mov R [ 2 ], _RetVal\n"
      " PushParam 1\n Pause 0\n Print \"printed line\"\n"
      " RandomInt R [ 3 ], 6, 6\n RandomFloat R [ 4 ], 2.5, 2.5\n"
      " Exit 0\n Mov R [ 5 ], 1\n"
      "}");
  expectInt(1, 9);
  expectString(2, "hey!");
  expectInt(3, 0);
  expectInt(4, 6);
  expectFloat(5, 2.5f);
  EXPECT_EQ(cell(6).type, OP_TYPE_NULL) << "exit ended the call";
  std::string log = dir_.read("log.txt");
  EXPECT_NE(log.find("printed line"), std::string::npos) << log;
  EXPECT_NE(log.find("HTNOBODYHOME"), std::string::npos) << log;
}

TEST_F(AssemblerRun, FunctionsCalledByTheHost) {
  run("Var T\nVar Count\nFunc Update\n{\n Inc Count\n}\nFunc _Main\n{\n Mov Count, 40\n}");
  ASSERT_TRUE(group_->callFunc(thread_, "update"));
  ASSERT_TRUE(group_->callFunc(thread_, "UPDATE"));
  expectInt(1, 42);
}

// The listing exactly as the compiler writes it: banner comments, tabs,
// "Var grid[ 10 ]", parameters listed last-declared first, notes, labels.
constexpr const char* kCompilerListing = R"LISTING(; run.vkscript.vkasm

; Source File: run.vkscript
; VKH Compiler By the Velmora team, Win32 Version: 1.1
; Time: 2026-12-08 19:40 00

; ---- Directives -----------------------------------
	SetStackSize 1024

; ---- Global Variables -----------------------------------
	Var _T0
	Var _T1
	Var _T2
	Var grid[ 10 ]

; ---- Functions -----------------------------------
	Func Sum
	{
		Param b
		Param a

		Var s

		; s = a - b; // not a plain sum

		mov		s, a
		sub		s, b
		mov		_RetVal, s
	_L0:
	}

	Func Empty
	{
		; (No code)
	}

; ---- Main -----------------------------------


	Func _Main
	{
		Var i

		push		10
		push		3
		call		Sum
		mov		grid [ 0 ], _RetVal
		mov		i, 4
		mov		grid [ i ], 2.500000
		randomInt	_T0, 1, 1
		je		_T0, 1, _L1
		mov		grid [ 1 ], "skipped"
	_L1:
		call		Empty
	})LISTING";

TEST_F(AssemblerRun, TheCompilersListingFormat) {
  run(kCompilerListing);
  expectInt(3, 7);
  EXPECT_EQ(cell(4).type, OP_TYPE_NULL);
  expectFloat(7, 2.5f);
  expectInt(0, 1);
}

// The runtime runs "mov D, A" followed by arithmetic on D (and a "mov X, D"
// after it) as one step when it can; the same code with an unrelated
// instruction between the pair must give the same cells, whatever the types.
TEST_F(AssemblerRun, FusedMoveAndArithmeticMatchTheSeparateInstructions) {
  // D's value before, A, the operation, B.
  const char* cases[][4] = {
      {"0", "3", "Add", "4"},        {"0", "2147483647", "Add", "1"}, {"0", "7", "Div", "2"},
      {"0.5", "1.5", "Mul", "2.0"},  {"0", "2", "Sub", "0.5"},       {"0", "\"12\"", "Add", "1"},
      {"\"t\"", "5", "Add", "\"x\""}, {"\"t\"", "3", "Add", "4"},  {"0", "3", "Add", "D"},
      {"1.0", "2.5", "Mul", "D"},    {"0", "S", "Mul", "D"},         {"4", "D", "Sub", "D"},
  };
  auto listing = [&](bool apart) {
    std::string text = "Var T\nVar D\nVar X\nVar S\nVar R [ 24 ]\nFunc _Main\n{\n";
    int n = 0;
    for (auto& c : cases) {
      text += " Mov S, \"ab\"\n Mov D, " + std::string(c[0]) + "\n Mov D, " + c[1] + "\n";
      if (apart) text += " Mov T, 0\n";
      text += " " + std::string(c[2]) + " D, " + c[3] + "\n Mov X, D\n";
      text += " Mov R [ " + std::to_string(n) + " ], D\n Mov R [ " + std::to_string(n + 1) + " ], X\n";
      n += 2;
    }
    return text + "}";
  };
  std::vector<vm_value> fused, apart;
  for (bool separate : {false, true}) {
    run(listing(separate));
    auto& cells = separate ? apart : fused;
    // T, D, X and S take cells 0-3; R starts at 4.
    for (int i = 0; i < 2 * int(std::size(cases)); ++i) cells.push_back(cell(4 + i));
  }
  for (std::size_t i = 0; i < fused.size(); ++i) {
    SCOPED_TRACE("case " + std::to_string(i / 2));
    ASSERT_EQ(fused[i].type, apart[i].type);
    EXPECT_EQ(fused[i].intValue, apart[i].intValue);
    if (fused[i].type == OP_TYPE_FLOAT) {
      EXPECT_EQ(fused[i].floatValue, apart[i].floatValue);
    }
    EXPECT_EQ(fused[i].text, apart[i].text);
  }
  EXPECT_EQ(apart[0].intValue, 7);
  EXPECT_EQ(apart[2].intValue, INT32_MIN);
  EXPECT_EQ(apart[4].type, OP_TYPE_FLOAT);
  EXPECT_EQ(apart[16].intValue, 6);
  EXPECT_EQ(apart[18].floatValue, 6.25f);
}

// Hand-made listings mixing every tag (null, integer, float, string) in the
// shapes the loader fuses: each must leave the same cells, register, stack
// and log with fused codes as with each instruction run alone.
TEST_F(AssemblerRun, RandomListingsRunAlikeFusedAndPlain) {
  std::mt19937 rng(20261209);
  auto pick = [&](std::initializer_list<const char*> options) {
    return std::string(options.begin()[std::uniform_int_distribution<std::size_t>(0, options.size() - 1)(rng)]);
  };
  auto chance = [&](int percent) { return std::uniform_int_distribution<int>(0, 99)(rng) < percent; };
  // Destinations and values; R [ I ] is an element through an index cell.
  auto dest = [&] { return pick({"A", "B", "C", "D", "A", "B", "R [ 2 ]", "R [ I ]", "_RetVal"}); };
  auto value = [&] {
    return chance(50) ? dest()
                      : pick({"0", "1", "-1", "7", "2147483647", "-2147483648", "2.5", "-0.75", "0.0", "\"ab\"",
                              "\"12\"", "\"3.5\"", "\"\""});
  };
  auto arith = [&] { return pick({"Add", "Sub", "Mul", "Div", "Mod"}); };
  auto jump = [&] { return pick({"JE", "JNE", "JG", "JL", "JGE", "JLE"}); };

  for (int round = 0; round < 500; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    int labels = 0;
    // A body of straight runs and forward jumps; F's may also use L and P.
    auto body = [&](bool inFunc) {
      std::string text;
      int depth = 0;  // values pushed and not yet popped
      int pending = 0;
      for (int shape = 0; shape < 24; ++shape) {
        std::string d = inFunc && chance(30) ? pick({"L", "P"}) : dest();
        switch (std::uniform_int_distribution<int>(0, 9)(rng)) {
          case 0:
          case 1:
          case 2: {  // an arithmetic run with its head and tail
            if (depth > 0 && chance(40)) text += " Pop " + d + "\n", --depth;
            else if (chance(80)) text += " Mov " + d + ", " + value() + "\n";
            for (int k = 1 + std::uniform_int_distribution<int>(0, 2)(rng); k > 0; --k) {
              text += " " + arith() + " " + d + ", " + (chance(20) ? d : value()) + "\n";
            }
            if (chance(40)) text += " Mov " + dest() + ", " + d + "\n";
            else if (chance(30)) text += " Push " + d + "\n", ++depth;
            break;
          }
          case 3: {  // a step before a test
            std::string step = pick({"Add", "Sub", "Inc", "Dec"});
            bool unary = step == "Inc" || step == "Dec";
            text += " " + step + " " + d + (unary ? std::string() : ", " + value()) + "\n";
            text += " " + jump() + " " + value() + ", " + value() + ", J" + std::to_string(labels + pending) + "\n";
            ++pending;
            break;
          }
          case 4:  // pushes and pops
            if (chance(50)) {
              text += " Push " + value() + "\n Pop " + dest() + "\n";
            } else if (chance(50)) {
              text += " Push " + value() + "\n Push " + value() + "\n Pop " + dest() + "\n Pop " + dest() + "\n";
            } else {
              text += " Push " + value() + "\n Mov " + dest() + ", " + value() + "\n Pop " + dest() + "\n";
            }
            break;
          case 5:
            if (!inFunc) {  // a call with its argument, returning through a fused store
              text += " Push " + value() + "\n Call F\n";
            } else {
              text += " Concat " + d + ", " + pick({"\"x\"", "A", "B"}) + "\n";
            }
            break;
          case 6:  // a label jumped to from before, and a jump to itself
            while (pending > 0) text += "J" + std::to_string(labels++) + ":\n", --pending;
            if (chance(30)) {
              text += "J" + std::to_string(labels) + ":\n " + jump() + " " + value() + ", " + value() + ", J" +
                      std::to_string(labels) + "\n";
              ++labels;
            }
            break;
          case 7: text += " Mov I, " + pick({"0", "3", "7", "2.9", "\"5\"", "-1", "9"}) + "\n"; break;
          case 8: text += " Mov " + d + ", " + value() + "\n"; break;
          default: text += " " + arith() + " " + d + ", " + value() + "\n"; break;
        }
      }
      while (depth-- > 0) text += " Pop " + dest() + "\n";
      while (pending > 0) text += "J" + std::to_string(labels++) + ":\n", --pending;
      return text;
    };
    std::string listing = "SetStackSize 200\nVar A\nVar B\nVar C\nVar D\nVar I\nVar R [ 8 ]\n";
    listing += "Func F\n{\n Param P\n Var L\n Mov L, P\n" + body(true) + " Mov _RetVal, L\n}\n";
    listing += "Func _Main\n{\n" + body(false) + "}\n";

    struct Outcome {
      std::vector<vm_value> cells;
      vm_value retval;
      int top = 0;
      std::string log;
    };
    Outcome outcomes[2];
    for (int fused = 0; fused < 2; ++fused) {
      script::setFusedCodes(fused == 1);
      xLogFile::resetForTests();
      run(listing);
      script::setFusedCodes(true);
      if (HasFatalFailure()) {
        ADD_FAILURE() << listing;
        return;
      }
      const vm_script* thread = group_->getThread(thread_);
      for (int i = 0; i < 13; ++i) outcomes[fused].cells.push_back(thread->cellAt(i));
      outcomes[fused].retval = thread->retval();
      outcomes[fused].top = thread->top();
      outcomes[fused].log = dir_.read("log.txt");
      // A fresh thread: a reused one keeps its _RetVal.
      group_.reset(new vm(kGroup));
      gGroup = group_.get();
    }
    auto show = [](const vm_value& v) {
      return std::to_string(v.type) + ":" + (v.type == OP_TYPE_STRING ? v.text : std::to_string(v.intValue));
    };
    std::string diff;
    auto compare = [&](const std::string& what, const vm_value& plain, const vm_value& fusedValue) {
      if (show(plain) != show(fusedValue)) diff += what + ": " + show(plain) + " / " + show(fusedValue) + "\n";
    };
    for (int i = 0; i < 13; ++i) compare("cell " + std::to_string(i), outcomes[0].cells[i], outcomes[1].cells[i]);
    compare("_RetVal", outcomes[0].retval, outcomes[1].retval);
    if (outcomes[0].top != outcomes[1].top) diff += "top differs\n";
    if (outcomes[0].log != outcomes[1].log) diff += "logs:\n" + outcomes[0].log + "---\n" + outcomes[1].log;
    ASSERT_EQ(diff, "") << listing;
  }
}

}  // namespace
