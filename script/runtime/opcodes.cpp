// Lookups over the script instruction table.
#include "script/runtime/opcodes.h"

#include "script/runtime/number_text.h"

const char* const instrNameTable[script::kOpCount] = {
#define OP(name, listing, ...) listing,
#include "script/runtime/opcodes.def"
#undef OP
};

namespace script {

const OpInfo* findOp(int opcode) {
  if (opcode < 0 || opcode >= kOpCount) return nullptr;
  return &kOpTable[static_cast<std::size_t>(opcode)];
}

namespace {

// The mnemonics with their lengths known at compile time: the assembler looks
// up every word it reads, and measuring 50 names each time was most of its work.
constexpr std::array<std::string_view, kOpCount> kMnemonics = [] {
  std::array<std::string_view, kOpCount> names{};
  for (std::size_t i = 0; i < names.size(); ++i)
    if (kOpTable[i].mnemonic != nullptr) names[i] = kOpTable[i].mnemonic;
  return names;
}();

}  // namespace

std::optional<Op> findMnemonic(std::string_view mnemonic) {
  for (std::size_t i = 0; i < kMnemonics.size(); ++i) {
    const std::string_view candidate = kMnemonics[i];
    if (!candidate.empty() && candidate.size() == mnemonic.size() &&
        equalsIgnoreAsciiCase(candidate, mnemonic)) {
      return static_cast<Op>(i);
    }
  }
  return std::nullopt;
}

}  // namespace script
