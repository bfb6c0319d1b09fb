// Name lookups in scopes for the compiler and the assembler.
#include "script/runtime/name_index.h"

namespace script {

std::int32_t ScopedNameIndex::idOf(std::string_view name) const {
  auto it = ids_.find(name);
  return it == ids_.end() ? kNone : it->second;
}

bool ScopedNameIndex::add(std::string_view name, std::int32_t scope, std::int32_t value) {
  auto [it, added] = ids_.try_emplace(std::string(name), static_cast<std::int32_t>(globals_.size()));
  if (added) globals_.push_back(kNone);
  std::int32_t id = it->second;
  if (scope == kGlobal) {
    std::int32_t& slot = globals_[static_cast<std::size_t>(id)];
    if (slot != kNone) return false;
    slot = value;
    return true;
  }
  return scoped_.try_emplace(key(scope, id), value).second;
}

std::int32_t ScopedNameIndex::findIn(std::string_view name, std::int32_t scope) const {
  std::int32_t id = idOf(name);
  if (id == kNone) return kNone;
  if (scope == kGlobal) return globals_[static_cast<std::size_t>(id)];
  auto it = scoped_.find(key(scope, id));
  return it == scoped_.end() ? kNone : it->second;
}

std::int32_t ScopedNameIndex::findVisible(std::string_view name, std::int32_t scope) const {
  std::int32_t id = idOf(name);
  if (id == kNone) return kNone;
  std::int32_t global = globals_[static_cast<std::size_t>(id)];
  if (scope == kGlobal) return global;
  auto it = scoped_.find(key(scope, id));
  if (it == scoped_.end()) return global;
  return global == kNone || it->second < global ? it->second : global;
}

void ScopedNameIndex::clear() {
  ids_.clear();
  globals_.clear();
  scoped_.clear();
}

}  // namespace script
