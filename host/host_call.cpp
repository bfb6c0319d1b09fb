// The host-function frame: group check and bad-group messages, argument reads, results.
#include "host/host_call.h"

#include "base/xLogFile.h"
#include "script/runtime/vm.h"
#include "script/manager/xScriptManager.h"

namespace host {

HostCall::HostCall(script::ThreadIndex thread, script::GroupId group, int argCount)
    : thread_(thread),
      groupId_(group),
      argCount_(argCount),
      group_(xScriptManager::getInstance()->getScriptGroup(group)) {}

bool HostCall::checkGroup(BadGroup family, const char* logName) const {
  if (group_ != nullptr) return true;
  switch (family) {
    case BadGroup::Silent:
      break;
    case BadGroup::ErrorLoading:
      WriteLog("%s: Error loading script manager %d", logName, script::toInt(groupId_));
      break;
    case BadGroup::InvalidGroup:
      WriteLog("%s: invalid script group id", logName);
      break;
  }
  return false;
}

std::int32_t HostCall::intArg(int k) const {
  return group_ != nullptr ? group_->getParamAsInt(thread_, position(k)) : 0;
}

float HostCall::floatArg(int k) const {
  return group_ != nullptr ? group_->getParamAsFloat(thread_, position(k)) : 0.0f;
}

std::string HostCall::stringArg(int k) const {
  return group_ != nullptr ? group_->getParamAsString(thread_, position(k)) : std::string();
}

void HostCall::returnInt(std::int32_t value, int declared) const {
  if (group_ != nullptr) group_->returnIntFromHost(thread_, declared, value);
}

void HostCall::returnFloat(float value, int declared) const {
  if (group_ != nullptr) group_->returnFloatFromHost(thread_, declared, value);
}

void HostCall::returnString(const std::string& value, int declared) const {
  if (group_ != nullptr) group_->returnStringFromHost(thread_, declared, value.c_str());
}

void HostCall::fail(const char* what) const {
  if (group_ != nullptr) group_->failHostCall(thread_, what);
}

void registerHostTable(std::span<const HostEntry> entries) {
  xHostAPIManager* registry = xHostAPIManager::getInstance();
  for (const HostEntry& entry : entries) registry->addFunc(entry.name, entry.func);
}

}  // namespace host
