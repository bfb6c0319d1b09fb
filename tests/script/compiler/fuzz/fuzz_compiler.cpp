// libFuzzer target: random sources through the compiler; errors are fine, crashes and hangs are not.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "script/assembler/xScriptAssembler.h"
#include "script/compiler/xScriptCompiler.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("VELMORA_BACKEND", "headless", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view source(reinterpret_cast<const char*>(data), size);
  for (bool optimise : {true, false}) {
    xScriptCompiler compiler;  // no handler: diagnostics are only recorded
    compiler.setOptimise(optimise);
    compiler.loadText(source, "fuzz.vkscript");
    if (!compiler.compile()) return 0;
    // Whatever the assembler makes of the listing, it must not crash.
    (void)script::assembleText(compiler.listingText("fuzz.vkasm", "TIME"));
  }
  return 0;
}
