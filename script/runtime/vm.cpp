// Script groups: the thread table and the host-call convention.
#include "script/runtime/vm.h"

#include <new>

#include "base/xLogFile.h"

using script::ThreadIndex;

namespace {
constexpr std::size_t kReservedThreads = 256;
}

vm::vm(script::GroupId id) : id_(id) { threads_.reserve(kReservedThreads); }

vm::~vm() = default;

void vm::retire(vm* group) {
  if (group == nullptr) return;
  if (group->activeCalls_ == 0) {
    delete group;
    return;
  }
  // A thread of this group is running (its host function reset the group):
  // stop every thread now, free the memory when the call unwinds.
  group->retired_ = true;
  for (auto& thread : group->threads_) thread->unload();
}

vm_script* vm::validThread(ThreadIndex thread) const {
  int i = script::toInt(thread);
  if (i < 0 || static_cast<std::size_t>(i) >= threads_.size()) return nullptr;
  vm_script* t = threads_[static_cast<std::size_t>(i)].get();
  return t->isLoaded() ? t : nullptr;
}

ThreadIndex vm::findFreeThread() {
  for (std::size_t i = 0; i < threads_.size(); ++i) {
    const vm_script& t = *threads_[i];
    if (!t.isLoaded() && !t.isBusy()) return ThreadIndex{static_cast<int>(i)};
  }
  threads_.push_back(std::make_unique<vm_script>(this, id_));
  return ThreadIndex{static_cast<int>(threads_.size() - 1)};
}

template <class Load>
ThreadIndex vm::loadInto(Load load) {
  // No room for another thread is a load that fails, like a bad file.
  ThreadIndex index = script::kNoThread;
  try {
    index = findFreeThread();
  } catch (const std::bad_alloc&) {
  }
  lastLoaded_ = index;
  vm_script* thread = index == script::kNoThread ? nullptr : threads_[std::size_t(script::toInt(index))].get();
  if (thread == nullptr || load(*thread) != script::kLoadOk) {
    WriteLog("Invalid Script File\n");
    return script::kNoThread;
  }
  thread->setIndex(index);
  thread->setGroup(id_);
  return index;
}

ThreadIndex vm::loadScript(const std::string& fileName) {
  return loadInto([&](vm_script& thread) { return thread.loadBinary(fileName); });
}

ThreadIndex vm::loadAssembled(const script::AssembledScript& script) {
  return loadInto([&](vm_script& thread) { return thread.loadAssembled(script); });
}

bool vm::isThreadValid(ThreadIndex thread) const { return validThread(thread) != nullptr; }

void vm::unloadScript(ThreadIndex thread) {
  vm_script* t = validThread(thread);
  if (t == nullptr) {
    WriteLog("Invalid script thread index");
    return;
  }
  t->unload();
}

vm_script* vm::getThread(ThreadIndex thread) { return validThread(thread); }

std::int32_t vm::getParamAsInt(ThreadIndex thread, int position) {
  vm_script* t = validThread(thread);
  return t != nullptr ? t->hostArgAsInt(position) : 0;
}

float vm::getParamAsFloat(ThreadIndex thread, int position) {
  vm_script* t = validThread(thread);
  return t != nullptr ? t->hostArgAsFloat(position) : 0.0f;
}

std::string vm::getParamAsString(ThreadIndex thread, int position) {
  vm_script* t = validThread(thread);
  return t != nullptr ? t->hostArgAsString(position) : std::string();
}

void vm::returnIntFromHost(ThreadIndex thread, int declared, std::int32_t value) {
  if (vm_script* t = validThread(thread)) t->returnFromHost(declared, vm_value::makeInt(value));
}

void vm::returnFloatFromHost(ThreadIndex thread, int declared, float value) {
  if (vm_script* t = validThread(thread)) t->returnFromHost(declared, vm_value::makeFloat(value));
}

void vm::returnStringFromHost(ThreadIndex thread, int declared, const char* value) {
  if (vm_script* t = validThread(thread)) {
    t->returnFromHost(declared, vm_value::makeString(value != nullptr ? value : ""));
  }
}

void vm::failHostCall(ThreadIndex thread, const char* what) {
  if (vm_script* t = validThread(thread)) t->failHostCall(what);
}

bool vm::callFunc(ThreadIndex thread, std::string_view name) {
  vm_script* t = validThread(thread);
  // The call may free this group; return its result without touching members.
  return t != nullptr && t->callFunc(name);
}

bool vm::hasRenderFunc(ThreadIndex thread) const {
  vm_script* t = validThread(thread);
  return t != nullptr && t->findFunc("render") >= 0;
}

void vm::pushIntParam(ThreadIndex thread, std::int32_t value) {
  if (vm_script* t = validThread(thread)) t->pushHostArg(vm_value::makeInt(value));
}

void vm::pushFloatParam(ThreadIndex thread, float value) {
  if (vm_script* t = validThread(thread)) t->pushHostArg(vm_value::makeFloat(value));
}
