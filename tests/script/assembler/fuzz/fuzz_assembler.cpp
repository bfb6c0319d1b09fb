// libFuzzer target: random listings through the assembler; whatever it accepts must load.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "script/runtime/bytecode_file.h"
#include "script/runtime/vm_script.h"
#include "script/assembler/xScriptAssembler.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("VELMORA_BACKEND", "headless", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view listing(reinterpret_cast<const char*>(data), size);
  script::AssembledScript assembled;
  if (!script::assembleText(listing, &assembled).ok) return 0;

  // The assembler's output must pass the loader's full validation, byte for byte.
  std::vector<std::uint8_t> bytes = script::serializeAssembledScript(assembled);
  script::AssembledScript reread;
  if (script::parseAssembledScript(bytes.data(), bytes.size(), reread) != script::kLoadOk) std::abort();
  if (!(reread == assembled)) std::abort();

  vm_script thread;
  if (thread.loadAssembled(reread) != script::kLoadOk) std::abort();
  return 0;
}
