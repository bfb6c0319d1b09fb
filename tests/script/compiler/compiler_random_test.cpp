// Random programs compiled with and without the optimiser, and run with and without fused instruction runs, must leave the same globals behind.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/xLogFile.h"
#include "script/runtime/vm_script.h"
#include "tests/script/compiler/compiler_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int kPrograms = 250;
const std::vector<std::string> kScalars = {"v0", "v1", "v2", "v3", "v4"};

// Terminating programs over a few globals: every loop is bounded by a counter
// of its own, and "continue" appears only in while loops after the counter step.
class ProgramGenerator {
 public:
  explicit ProgramGenerator(unsigned seed) : rng_(seed) {}

  std::string program() {
    std::string out = "var v0; var v1; var v2; var v3; var v4; var arr[4]; var s0; var w1; var w2; var f1; var f2; var k0;\n"
                      "host htA(); host htAdd(p, q);\n"
                      "func g2(p) { if (p > 2) return p * 2; return " + leafExpr(1, "p", "p") + "; }\n"
                      "func g1(p, q) { var l; l = " + leafExpr(2, "p", "q") + "; return l - q; }\n"
                      "func _Main() {\n";
    for (const std::string& v : kScalars) out += "\t" + v + " = " + std::to_string(pick(0, 9)) + ";\n";
    out += "\ts0 = \"s\";\n\tw1 = 0; w2 = 0; f1 = 0; f2 = 0;\n";
    for (int i = 0; i < 4; ++i) out += "\tarr[" + std::to_string(i) + "] = " + std::to_string(i + 1) + ";\n";
    for (int i = 0; i < 10; ++i) out += statement(2);
    out += "}\n";
    return out;
  }

 private:
  int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  const std::string& scalar() { return kScalars[std::size_t(pick(0, int(kScalars.size()) - 1))]; }

  std::string atom(const std::string& p, const std::string& q) {
    switch (pick(0, 11)) {
      case 11: return pick(0, 3) ? "\"7\"" : "s0";  // texts into arithmetic
      case 10: return pick(0, 1) ? "arr[w1]" : "arr[f2]++";
      case 0: return std::to_string(pick(0, 20));
      case 1: return std::to_string(pick(0, 4)) + ".5";
      case 2: return "arr[" + std::to_string(pick(0, 3)) + "]";
      case 3: return p;
      case 4: return q;
      case 5: return "htA()";
      case 6: return scalar() + "++";
      case 7: return "-" + scalar();
      default: return scalar();
    }
  }

  // An expression without calls of the script functions (their own bodies).
  std::string leafExpr(int depth, const std::string& p, const std::string& q) {
    calls_ = false;
    std::string e = expr(depth, p, q);
    calls_ = true;
    return e;
  }

  std::string expr(int depth, const std::string& p = "v0", const std::string& q = "v1") {
    if (depth == 0) return atom(p, q);
    static const char* kOps[] = {"+", "-", "*", "/", "%", "&", "|", "<<", ">>", "<", ">", "==", "!=",
                                 "&&", "||", "<=", ">=", "+", "-", "*"};
    int kind = pick(0, 9);
    if (!calls_ && (kind == 1 || kind == 5)) kind = 0;
    switch (kind) {
      case 0: return "(" + expr(depth - 1, p, q) + ")";
      case 1: return "g1(" + expr(depth - 1, p, q) + ", " + expr(depth - 1, p, q) + ")";
      case 2: return "htAdd(" + expr(depth - 1, p, q) + ", " + atom(p, q) + ")";
      case 3: return "!" + scalar();
      case 4: return "sqrt(" + atom(p, q) + ")";
      case 5: return "g2(" + expr(depth - 1, p, q) + ")";
      default:
        return expr(depth - 1, p, q) + " " + kOps[pick(0, 19)] + " " + expr(depth - 1, p, q);
    }
  }

  std::string condition() {
    switch (pick(0, 4)) {
      case 0: return scalar();
      case 1: return "!" + scalar();
      case 2: return expr(1) + " < " + expr(1) + " || " + scalar() + " > " + std::to_string(pick(0, 9));
      case 3: return expr(1) + " == " + expr(1) + " && " + scalar() + " != 3";
      default: return expr(1) + " <= " + expr(1);
    }
  }

  std::string statement(int depth) {
    static const char* kAssign[] = {"=", "+=", "-=", "*=", "=", "%=", "="};
    int kind = depth == 0 ? pick(0, 3) : pick(0, 8);
    // Each loop depth has its own counters, so inner loops cannot reset outer ones.
    const std::string w = "w" + std::to_string(depth);
    const std::string f = "f" + std::to_string(depth);
    switch (kind) {
      case 0: return "\t" + scalar() + " " + kAssign[pick(0, 6)] + " " + expr(2) + ";\n";
      case 1: {
        // Loop counters stay within 0..3, so they are safe indices.
        std::string index = pick(0, 1) ? std::to_string(pick(0, 3)) : std::string(pick(0, 1) ? "f1" : "w2");
        return "\tarr[" + index + "] " + kAssign[pick(0, 6)] + " " + expr(2) + ";\n";
      }
      case 2: return "\ts0 $ " + atom("v2", "v3") + ";\n";
      case 3: return "\t" + scalar() + (pick(0, 1) ? "++;\n" : "--;\n");
      case 4: case 5:
        return "\tif (" + condition() + ") {\n" + statement(depth - 1) + "\t} else {\n" + statement(depth - 1) + "\t}\n";
      case 6:
        return "\t" + w + " = 0;\n\twhile (" + w + " < 3 && " + condition() + ") {\n\t\t" + w + "++;\n" +
               statement(depth - 1) +
               "\t\tif (" + scalar() + " == 4) continue;\n" + statement(depth - 1) + "\t}\n";
      case 7:
        return "\tfor (" + f + " = 0; " + f + " < 3; " + f + " += 1) {\n" + statement(depth - 1) + "\t\tif (" + condition() +
               ") break;\n" + statement(depth - 1) + "\t}\n";
      default: return "\tsqrt(" + expr(1) + ");\n\tk0 = g1(" + expr(1) + ", " + expr(1) + ");\n";
    }
  }

  std::mt19937 rng_;
  bool calls_ = true;
};

// Unoptimised and fused, optimised and fused, optimised and one by one.
TEST(CompilerRandomPrograms, OptimiserAndFusedRunsKeepEveryResult) {
  ScopedTempDir dir;
  const std::vector<std::string> globals = {"v0", "v1", "v2", "v3", "v4", "s0", "k0", "w1", "w2", "f1", "f2"};
  for (int seed = 0; seed < kPrograms; ++seed) {
    xLogFile::resetForTests();
    std::string source = ProgramGenerator(unsigned(seed)).program();
    std::vector<std::string> results[3];
    for (int variant = 0; variant < 3; ++variant) {
      script::setFusedCodes(variant != 2);
      compiler_test::Runner runner;
      bool ran = runner.run(source, variant != 0);
      script::setFusedCodes(true);
      ASSERT_TRUE(ran) << source;
      for (const std::string& name : globals) results[variant].push_back(runner.global(name));
      for (int cell = 0; cell < 4; ++cell) results[variant].push_back(runner.global("arr", cell));
    }
    ASSERT_EQ(results[0], results[1]) << "optimiser, seed " << seed << "\n" << source;
    ASSERT_EQ(results[1], results[2]) << "fused runs, seed " << seed << "\n" << source;
  }
}

}  // namespace
