// Load time of a script: compiling, assembling and loading a generated 5,000-line source.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "script/runtime/vm.h"
#include "script/assembler/xScriptAssembler.h"
#include "script/compiler/xScriptCompiler.h"

namespace {

constexpr int kTargetLines = 5000;

// One function of about a dozen lines using most statement kinds.
std::string functionSource(int n) {
  const std::string index = std::to_string(n);
  std::string call = "htAdd(a, b)";
  if (n > 0) call = std::string("f").append(std::to_string(n - 1)).append("(a, 2)");
  std::string f;
  f.append("func f").append(index).append("(a, b) {\n");
  f.append("\tvar l; var k; var arr[8]; P p;\n");
  f.append("\tl = a * b + K - (a - b) / 2; // mixed arithmetic\n");
  f.append("\tfor (k = 0; k < 4; k += 1) { arr[k] = k * l; }\n");
  f.append("\tif (l > 10 && a < b) { l = l + arr[2]; } else { l = ").append(call).append("; }\n");
  f.append("\twhile (l < 100 || l == 200) { l += 7; }\n");
  f.append("\tp.x = l; p.y = p.x * 2;\n");
  f.append("\tg").append(std::to_string(n % 50)).append(" = \"v\" $ p.y;\n");
  f.append("\tprint(\"value %i of %i\", l, k);\n");
  f.append("\tk = sqrt(l) + randomInt(1, 6);\n");
  f.append("\treturn l + k;\n");
  f.append("}\n");
  return f;
}

std::string generateScript() {
  std::string source = "#define K 3;\nhost htAdd(a, b);\nstruct P { var x; var y; }\n";
  for (int i = 0; i < 50; ++i) source += "var g" + std::to_string(i) + ";\n";
  int lines = 53;
  int n = 0;
  while (lines < kTargetLines - 3) {
    source += functionSource(n++);
    lines += 12;
  }
  source += "func _Main() {\n\tg0 = f" + std::to_string(n - 1) + "(1, 2);\n}\n";
  return source;
}

void BM_CompileAssembleLoad(benchmark::State& state) {
  const std::string source = generateScript();
  script::GroupPtr group(new vm(script::GroupId{0}));
  for (auto _ : state) {
    xScriptCompiler compiler;
    compiler.loadText(source, "bench.vkscript");
    if (!compiler.compile()) {
      state.SkipWithError("compile failed");
      break;
    }
    xScriptAssembler assembler;
    assembler.loadText(compiler.listingText("bench.vkscript.vkasm", "TIME"), "bench.vkscript.vkasm");
    if (!assembler.assembleChecked().ok) {
      state.SkipWithError("assembly failed");
      break;
    }
    script::ThreadIndex thread = group->loadAssembled(assembler.output());
    if (thread == script::kNoThread) {
      state.SkipWithError("load failed");
      break;
    }
    group->unloadScript(thread);
  }
  state.counters["lines"] = kTargetLines;
}
BENCHMARK(BM_CompileAssembleLoad)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
