// Lookups over the script instruction table.
#include "script/runtime/opcodes.h"

#include <algorithm>

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

// The mnemonics in an open-addressed hash table built at compile time: the
// assembler looks up every word it reads, so a word that is no mnemonic
// should cost one probe, not a comparison with every name.
// The length and the first, second and last bytes without their case bit:
// enough to tell the mnemonics apart, and cheap for every other word.
constexpr std::uint32_t mnemonicHash(std::string_view text) {
  auto folded = [](char c) { return static_cast<std::uint32_t>(static_cast<unsigned char>(c) & 0xDF); };
  std::uint32_t h = static_cast<std::uint32_t>(text.size()) * 0x9E3779B1u;
  h ^= folded(text[0]) * 0x85EBCA77u;
  h ^= folded(text[1]) * 0xC2B2AE3Du;
  h ^= folded(text.back()) * 0x27D4EB2Fu;
  return h ^ (h >> 15);
}

constexpr std::size_t kMnemonicSlots = 128;  // a power of two, over twice the mnemonics
static_assert(kMnemonicSlots >= 2 * kOpCount);

struct MnemonicTable {
  std::array<std::int8_t, kMnemonicSlots> ops{};  // -1 for an empty slot
  std::array<std::string_view, kOpCount> names{};
  std::size_t shortest = 0;
  std::size_t longest = 0;
};

constexpr MnemonicTable kMnemonicTable = [] {
  MnemonicTable table;
  for (std::int8_t& op : table.ops) op = -1;
  table.shortest = 255;
  for (std::size_t i = 0; i < kOpTable.size(); ++i) {
    if (kOpTable[i].mnemonic == nullptr) continue;
    std::string_view name = kOpTable[i].mnemonic;
    table.names[i] = name;
    table.shortest = std::min(table.shortest, name.size());
    table.longest = std::max(table.longest, name.size());
    std::size_t slot = mnemonicHash(name) & (kMnemonicSlots - 1);
    while (table.ops[slot] >= 0) slot = (slot + 1) & (kMnemonicSlots - 1);
    table.ops[slot] = static_cast<std::int8_t>(i);
  }
  return table;
}();

static_assert(kMnemonicTable.shortest >= 2, "the hash reads the first two bytes");

}  // namespace

std::optional<Op> findMnemonic(std::string_view mnemonic) {
  if (mnemonic.size() < kMnemonicTable.shortest || mnemonic.size() > kMnemonicTable.longest) return std::nullopt;
  for (std::size_t slot = mnemonicHash(mnemonic) & (kMnemonicSlots - 1); kMnemonicTable.ops[slot] >= 0;
       slot = (slot + 1) & (kMnemonicSlots - 1)) {
    std::size_t op = static_cast<std::size_t>(kMnemonicTable.ops[slot]);
    if (equalsIgnoreAsciiCase(kMnemonicTable.names[op], mnemonic)) return static_cast<Op>(op);
  }
  return std::nullopt;
}

bool isListingWord(std::string_view name) {
  if (findMnemonic(name)) return true;
  return std::any_of(kListingKeywords.begin(), kListingKeywords.end(),
                     [&](std::string_view keyword) { return equalsIgnoreAsciiCase(keyword, name); });
}

}  // namespace script
