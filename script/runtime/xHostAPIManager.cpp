// The host-function registry.
#include "script/runtime/xHostAPIManager.h"

#include "script/runtime/number_text.h"

xHostAPIManager* xHostAPIManager::getInstance() {
  static xHostAPIManager* instance = new xHostAPIManager();
  return instance;
}

void xHostAPIManager::addFunc(std::string_view name, HostAPIFunc func) {
  std::string key = script::toUpperAscii(name);
  table_[key] = Record{key, func};
  ++version_;
}

HostAPIFunc xHostAPIManager::find(std::string_view name) const {
  auto it = table_.find(script::toUpperAscii(name));
  return it == table_.end() ? nullptr : it->second.func;
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
