// The host-function registry.
#include "script/runtime/xHostAPIManager.h"

#include <algorithm>

#include "script/runtime/number_text.h"

xHostAPIManager* xHostAPIManager::getInstance() {
  static xHostAPIManager* instance = new xHostAPIManager();
  return instance;
}

void xHostAPIManager::addFunc(std::string_view name, HostAPIFunc func) {
  std::string key = script::toUpperAscii(name);
  table_[key] = Record{key, func, registrations_++};
  ++version_;
}

HostAPIFunc xHostAPIManager::find(std::string_view name) const {
  auto it = table_.find(script::toUpperAscii(name));
  return it == table_.end() ? nullptr : it->second.func;
}

std::vector<std::string> xHostAPIManager::namesInOrder() const {
  std::vector<const Record*> records;
  for (const auto& entry : table_) records.push_back(&entry.second);
  std::sort(records.begin(), records.end(),
            [](const Record* a, const Record* b) { return a->sequence < b->sequence; });
  std::vector<std::string> names;
  for (const Record* record : records) names.push_back(record->name);
  return names;
}

int xHostAPIManager::callFunc(std::string_view name, script::GroupId group,
                              script::ThreadIndex thread) {
  HostAPIFunc func = find(name);
  if (func == nullptr) return -1;
  func(thread, group);
  return 1;
}

void xHostAPIManager::resetForTests() {
  xHostAPIManager* self = getInstance();
  self->table_.clear();
  ++self->version_;
}
