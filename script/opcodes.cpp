// Lookups over the script instruction table.
#include "script/opcodes.h"

#include "script/number_text.h"

const char* const instrNameTable[script::kOpCount] = {
#define OP(name, listing, mnemonic, count, k0, k1, k2) listing,
#include "script/opcodes.def"
#undef OP
};

namespace script {

const OpInfo* findOp(int opcode) {
  if (opcode < 0 || opcode >= kOpCount) return nullptr;
  return &kOpTable[static_cast<std::size_t>(opcode)];
}

std::optional<Op> findMnemonic(std::string_view mnemonic) {
  for (int i = 0; i < kOpCount; ++i) {
    const char* candidate = kOpTable[static_cast<std::size_t>(i)].mnemonic;
    if (candidate != nullptr && equalsIgnoreAsciiCase(candidate, mnemonic)) {
      return static_cast<Op>(i);
    }
  }
  return std::nullopt;
}

}  // namespace script
