// libFuzzer target: the assembled-file reader must reject or accept any bytes without faults.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "script/runtime/bytecode_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  script::AssembledScript parsed;
  if (script::parseAssembledScript(data, size, parsed) != script::kLoadOk) {
    if (!parsed.instrs.empty() || !parsed.funcs.empty() || !parsed.strings.empty()) std::abort();
    return 0;
  }
  // Whatever the reader accepts, the writer reproduces and the reader accepts again.
  std::vector<std::uint8_t> bytes = script::serializeAssembledScript(parsed);
  script::AssembledScript again;
  if (script::parseAssembledScript(bytes.data(), bytes.size(), again) != script::kLoadOk) std::abort();
  if (!(again == parsed)) std::abort();
  return 0;
}
