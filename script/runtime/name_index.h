// Name lookups for the compiler and the assembler: names in scopes, without regard to ASCII case.
//
// Every local of every function is declared under a few common names (i, k,
// x...); a table keyed by the name alone would make each lookup walk all
// functions' symbols of that name, so load time would grow with the square
// of the script. Here each lookup is a probe or two of flat tables (no node
// to chase per probe), and probes take a string_view, so no name is copied
// to look it up.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "script/runtime/number_text.h"

namespace script {

// Hash and equality of names that ignore ASCII case; both accept string_views
// for lookups without a copy.
struct NameHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view name) const {
    std::uint64_t h = 1469598103934665603ull;  // FNV-1a
    for (char c : name) h = (h ^ static_cast<unsigned char>(upperAscii(c))) * 1099511628211ull;
    return static_cast<std::size_t>(h);
  }
};
struct NameEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return equalsIgnoreAsciiCase(a, b); }
};
template <class Value>
using NameMap = std::unordered_map<std::string, Value, NameHash, NameEqual>;

// Values (symbol or label indices) declared under a name in a scope: a
// function's index, or kGlobal for global scope. Only the first value
// declared under a name in one scope is kept.
class ScopedNameIndex {
 public:
  static constexpr std::int32_t kGlobal = -1;
  static constexpr std::int32_t kNone = -1;

  // Records [value] for [name] in [scope]; false (nothing changed) when the
  // scope already has the name.
  bool add(std::string_view name, std::int32_t scope, std::int32_t value);
  // The value of [name] in [scope] alone; kNone when absent.
  std::int32_t findIn(std::string_view name, std::int32_t scope) const;
  // Of the values of [name] in global scope and in [scope], the lower one
  // (the one declared first when values count declarations); kNone when
  // neither has it.
  std::int32_t findVisible(std::string_view name, std::int32_t scope) const;
  // Whether any scope has [name].
  bool used(std::string_view name) const { return idOf(name) != kNone; }
  void clear();

 private:
  // Open addressing with linear probing, at most half full.
  struct NameSlot {
    std::uint32_t hash = 0;
    std::int32_t id = kNone;  // kNone: empty
  };
  struct ScopedSlot {
    std::uint64_t key = kEmptyKey;
    std::int32_t value = kNone;
  };
  static constexpr std::uint64_t kEmptyKey = ~0ull;

  static std::uint64_t key(std::int32_t scope, std::int32_t id) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(scope)) << 32) | static_cast<std::uint32_t>(id);
  }
  // Every bit of the key reaches the low bits the table is indexed by (the
  // scope sits in the high half).
  static std::size_t mix(std::uint64_t k) {
    k ^= k >> 33;
    k *= 0xFF51AFD7ED558CCDull;
    k ^= k >> 33;
    return static_cast<std::size_t>(k);
  }
  std::int32_t idOf(std::string_view name) const;
  std::int32_t addName(std::string_view name);
  const ScopedSlot* findScoped(std::uint64_t k) const;
  void growNames();
  void growScoped();

  std::vector<std::string> names_;     // by id
  std::vector<NameSlot> nameSlots_;    // a power of two in size, or empty
  std::vector<std::int32_t> globals_;  // by id; kNone when no global has it
  std::vector<ScopedSlot> scoped_;     // (scope, id) -> value; a power of two in size, or empty
  std::size_t scopedCount_ = 0;
};

}  // namespace script
