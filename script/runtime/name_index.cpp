// Name lookups in scopes for the compiler and the assembler.
#include "script/runtime/name_index.h"

namespace script {

std::int32_t ScopedNameIndex::idOf(std::string_view name) const {
  if (nameSlots_.empty()) return kNone;
  std::uint32_t hash = static_cast<std::uint32_t>(NameHash{}(name));
  std::size_t mask = nameSlots_.size() - 1;
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    const NameSlot& slot = nameSlots_[i];
    if (slot.id == kNone) return kNone;
    if (slot.hash == hash && equalsIgnoreAsciiCase(names_[static_cast<std::size_t>(slot.id)], name)) return slot.id;
  }
}

std::int32_t ScopedNameIndex::addName(std::string_view name) {
  if (std::int32_t id = idOf(name); id != kNone) return id;
  if ((names_.size() + 1) * 2 > nameSlots_.size()) growNames();
  std::int32_t id = static_cast<std::int32_t>(names_.size());
  names_.emplace_back(name);
  globals_.push_back(kNone);
  std::uint32_t hash = static_cast<std::uint32_t>(NameHash{}(name));
  std::size_t mask = nameSlots_.size() - 1;
  std::size_t i = hash & mask;
  while (nameSlots_[i].id != kNone) i = (i + 1) & mask;
  nameSlots_[i] = {hash, id};
  return id;
}

void ScopedNameIndex::growNames() {
  std::vector<NameSlot> old = std::move(nameSlots_);
  nameSlots_.assign(old.empty() ? 64 : old.size() * 2, NameSlot{});
  std::size_t mask = nameSlots_.size() - 1;
  for (const NameSlot& slot : old) {
    if (slot.id == kNone) continue;
    std::size_t i = slot.hash & mask;
    while (nameSlots_[i].id != kNone) i = (i + 1) & mask;
    nameSlots_[i] = slot;
  }
}

const ScopedNameIndex::ScopedSlot* ScopedNameIndex::findScoped(std::uint64_t k) const {
  if (scoped_.empty()) return nullptr;
  std::size_t mask = scoped_.size() - 1;
  for (std::size_t i = mix(k) & mask;; i = (i + 1) & mask) {
    const ScopedSlot& slot = scoped_[i];
    if (slot.key == k) return &slot;
    if (slot.key == kEmptyKey) return nullptr;
  }
}

void ScopedNameIndex::growScoped() {
  std::vector<ScopedSlot> old = std::move(scoped_);
  scoped_.assign(old.empty() ? 256 : old.size() * 2, ScopedSlot{});
  std::size_t mask = scoped_.size() - 1;
  for (const ScopedSlot& slot : old) {
    if (slot.key == kEmptyKey) continue;
    std::size_t i = mix(slot.key) & mask;
    while (scoped_[i].key != kEmptyKey) i = (i + 1) & mask;
    scoped_[i] = slot;
  }
}

bool ScopedNameIndex::add(std::string_view name, std::int32_t scope, std::int32_t value) {
  std::int32_t id = addName(name);
  if (scope == kGlobal) {
    std::int32_t& slot = globals_[static_cast<std::size_t>(id)];
    if (slot != kNone) return false;
    slot = value;
    return true;
  }
  std::uint64_t k = key(scope, id);
  if (findScoped(k) != nullptr) return false;
  if ((scopedCount_ + 1) * 2 > scoped_.size()) growScoped();
  std::size_t mask = scoped_.size() - 1;
  std::size_t i = mix(k) & mask;
  while (scoped_[i].key != kEmptyKey) i = (i + 1) & mask;
  scoped_[i] = {k, value};
  ++scopedCount_;
  return true;
}

std::int32_t ScopedNameIndex::findIn(std::string_view name, std::int32_t scope) const {
  std::int32_t id = idOf(name);
  if (id == kNone) return kNone;
  if (scope == kGlobal) return globals_[static_cast<std::size_t>(id)];
  const ScopedSlot* slot = findScoped(key(scope, id));
  return slot == nullptr ? kNone : slot->value;
}

std::int32_t ScopedNameIndex::findVisible(std::string_view name, std::int32_t scope) const {
  std::int32_t id = idOf(name);
  if (id == kNone) return kNone;
  std::int32_t global = globals_[static_cast<std::size_t>(id)];
  if (scope == kGlobal) return global;
  const ScopedSlot* slot = findScoped(key(scope, id));
  if (slot == nullptr) return global;
  return global == kNone || slot->value < global ? slot->value : global;
}

void ScopedNameIndex::clear() {
  names_.clear();
  nameSlots_.clear();
  globals_.clear();
  scoped_.clear();
  scopedCount_ = 0;
}

}  // namespace script
