// Script threads: loading, host-started calls, the stack and host-call arguments.
#include "script/runtime/vm_script.h"

#include <algorithm>
#include <new>

#include "base/xLogFile.h"
#include "engine/hge.h"
#include "script/runtime/number_text.h"
#include "script/runtime/opcodes.h"
#include "script/runtime/vm.h"

using script::AssembledScript;

namespace {

void stackError(const char* what) { ShowErrorBox("Script VM Error: %s\n", what); }

// Host-started calls in progress over every thread, and whether one was
// refused since the outermost of them began (single-threaded, as the game is).
int gNestedCalls = 0;
bool gNestRefused = false;

// False, reporting it once per nest, when a call now would nest too deep.
bool mayNest(std::string_view name) {
  if (gNestRefused) return false;
  if (gNestedCalls < script::kMaxNestedCalls) return true;
  gNestRefused = true;
  WriteLog("vm_script::callFunc: script calls nested %d deep, call of %.*s refused", script::kMaxNestedCalls,
           int(name.size()), name.data());
  stackError("Script calls nested too deep");
  return false;
}

}  // namespace

bool script::nestedCallRefused() { return gNestRefused; }

vm_script::vm_script(vm* owner, script::GroupId group)
    : group_(group), owner_(owner), hge_(hgeCreate(HGE_VERSION)) {}

vm_script::~vm_script() {
  releaseContents();
  if (hge_ != nullptr) hge_->Release();
}

int vm_script::loadBinary(const std::string& fileName) {
  if (isBusy()) return script::kLoadThreadBusy;
  AssembledScript file;
  int result = script::readAssembledFile(fileName, file);
  if (result != script::kLoadOk) {
    unload();
    return result;
  }
  return loadAssembled(file);
}

int vm_script::loadAssembled(const AssembledScript& s) {
  // A thread cannot be replaced under its own running call.
  if (isBusy()) return script::kLoadThreadBusy;
  unload();
  if (int check = script::validateAssembledScript(s); check != script::kLoadOk) return check;
  try {
    instrs_.resize(s.instrs.size() + 1);  // and the end marker
    operands_.resize(s.instrs.size() + 1);
    for (std::size_t i = 0; i < s.instrs.size(); ++i) {
      const script::FileInstr& in = s.instrs[i];
      vm_instr& out = instrs_[i];
      // Numbers that are not instructions become PARAM, the other no-op.
      out.op = in.opcode < script::kOpCount ? static_cast<script::Code>(in.opcode) : script::Code::PARAM;
      out.code = out.op;
      out.operandCount = static_cast<std::uint8_t>(in.operands.size());
      out.operands = &operands_[i];
      std::size_t kept = std::min<std::size_t>(in.operands.size(), script::kMaxOperands);
      for (std::size_t k = 0; k < kept; ++k) operands_[i].ops[k] = in.operands[k];
    }
    instrs_.back().code = instrs_.back().op = script::Code::END_OF_CODE;
    instrs_.back().operands = &operands_.back();
    size_ = static_cast<std::int32_t>(script::effectiveStackSize(s.stackSize));
    padding_ = framePadding();
    stack_.resize(static_cast<std::size_t>(padding_) + static_cast<std::size_t>(size_));
    cells_ = stack_.data() + padding_;
    funcs_.reserve(s.funcs.size());
    for (const script::FileFunc& f : s.funcs) {
      vm_func func;
      func.entry = static_cast<std::int32_t>(f.entry);
      func.paramCount = f.paramCount;
      func.localSize = static_cast<std::int32_t>(std::min<std::uint32_t>(f.localSize, INT32_MAX / 2));
      func.frameSize = func.paramCount + func.localSize + 1;
      func.name = script::toUpperAscii(f.name);
      funcIndex_.emplace(func.name, static_cast<int>(funcs_.size()));  // first of a name wins
      funcs_.push_back(std::move(func));
    }
    frames_.resize(static_cast<std::size_t>(size_) / 2 + 1);
    frameCount_ = 0;
    prepareCode(s);
  } catch (const std::bad_alloc&) {
    releaseContents();
    return script::kLoadNoMemory;
  }
  globalSize_ = static_cast<std::int32_t>(s.globalSize);
  hasMain_ = s.hasMain;
  mainIndex_ = static_cast<std::int32_t>(s.mainIndex);
  state_ = kStateLoaded;
  ++generation_;
  resetRunState();
  return script::kLoadOk;
}

void vm_script::releaseContents() {
  std::vector<vm_instr>().swap(instrs_);
  std::vector<script::InstrOperands>().swap(operands_);
  std::vector<vm_value>().swap(constants_);
  std::vector<script::OperandPath>().swap(paths_);
  std::vector<script::HostCall>().swap(hostCalls_);
  std::vector<vm_value>().swap(stack_);
  cells_ = nullptr;
  size_ = padding_ = 0;
  std::vector<vm_func>().swap(funcs_);
  funcIndex_.clear();
  spellingCache_.clear();
  std::vector<vm_value>().swap(hostArgs_);
  std::vector<CallRecord>().swap(frames_);
  frameCount_ = 0;
  top_ = base_ = 0;
}

void vm_script::unload() {
  if (state_ == kStateLoaded) {
    if (isBusy()) {
      releasePending_ = true;  // the running call still reads the code
    } else {
      releaseContents();
    }
  }
  hasMain_ = false;
  hostArgs_.clear();
  pendingArgs_ = 0;
  index_ = script::kNoThread;
  state_ = kStateEmpty;
  ++generation_;
}

void vm_script::resetRunState() {
  ip_ = hasMain_ ? funcs_[static_cast<std::size_t>(mainIndex_)].entry : -1;
  for (vm_value& cell : stack_) cell.clear();
  top_ = globalSize_;
  base_ = top_;
  if (hasMain_) {
    top_ = base_ = top_ + funcs_[static_cast<std::size_t>(mainIndex_)].frameSize + 1;
  }
  frameCount_ = 0;
  pendingArgs_ = 0;
}

int vm_script::findFunc(std::string_view name) const {
  // The game calls the same few names every frame: resolve each spelling once.
  if (auto hit = spellingCache_.find(name); hit != spellingCache_.end()) return hit->second;
  auto it = funcIndex_.find(script::toUpperAscii(name));
  int index = it == funcIndex_.end() ? -1 : it->second;
  spellingCache_.emplace(std::string(name), index);
  return index;
}

void vm_script::unwindTo(std::size_t depth) {
  const CallRecord& entry = frames_[depth];  // the call that started at [depth]
  top_ = entry.topAfter;
  base_ = entry.savedBase;
  ip_ = entry.returnIp;
  frameCount_ = depth;
}

bool vm_script::callFunc(std::string_view name) {
  lastCallCompleted_ = false;
  int args = pendingArgs_;
  pendingArgs_ = 0;
  std::int32_t entryTop = std::max(0, top_ - args);
  if (!isLoaded()) return false;
  int func = findFunc(name);
  if (func < 0) {
    top_ = entryTop;  // the arguments pushed for it go with it
    return false;
  }
  if (!mayNest(name)) {
    top_ = entryTop;
    return false;
  }
  const vm_func& f = funcs_[static_cast<std::size_t>(func)];
  std::int32_t missing = std::max(0, f.paramCount - args);
  if (!frameFits(f, missing)) {
    stackError("Stack fulled");
    top_ = entryTop;
    return false;
  }
  // Missing arguments become null cells above the pushed ones, so the values
  // pushed in source order still fill the first parameters.
  for (std::int32_t i = 0; i < missing; ++i) cells_[top_++].clear();
  std::size_t depth = frameCount_;
  std::size_t hostArgsAtEntry = hostArgs_.size();
  pushFrame(func, ip_, true, entryTop);
  ip_ = f.entry;
  ++callDepth_;
  vm* owner = owner_;
  if (owner != nullptr) owner->enterCall();
  // A host function may call back into this thread: the host call it runs
  // for keeps its own count of arguments read and its result flag.
  int argsRead = argsRead_;
  bool hostReturned = hostReturned_;
  bool hostFailed = hostFailed_;
  ++gNestedCalls;
  RunResult result = run(depth);
  if (--gNestedCalls == 0) gNestRefused = false;
  lastCallCompleted_ = result == RunResult::Returned || result == RunResult::Exited;
  argsRead_ = argsRead;
  hostReturned_ = hostReturned;
  hostFailed_ = hostFailed;
  --callDepth_;
  if (result != RunResult::Unloaded) {
    // Host arguments left by calls that read fewer than were pushed.
    if (hostArgs_.size() > hostArgsAtEntry) hostArgs_.resize(hostArgsAtEntry);
  }
  finishCall();
  // A group retired during the call is freed with its last call; this
  // thread belongs to it, so nothing may touch members afterwards.
  if (owner != nullptr && owner->leaveCall()) delete owner;
  return true;
}

void vm_script::finishCall() {
  if (callDepth_ == 0 && releasePending_) {
    releasePending_ = false;
    releaseContents();
  }
}

void vm_script::push(const vm_value& value) {
  if (top_ >= size_) {
    stackError("Stack fulled");
    return;
  }
  cells_[top_++] = value;
}

vm_value vm_script::pop() {
  if (top_ < 1) {
    stackError("Empty stack");
    return vm_value();
  }
  return cells_[--top_];  // a copy: the cell keeps its value for a later frame
}

void vm_script::pushHostArg(const vm_value& value) {
  std::int32_t before = top_;
  push(value);
  if (top_ != before) ++pendingArgs_;
}

std::int32_t vm_script::hostArgAsInt(int position) {
  ++argsRead_;
  int n = static_cast<int>(hostArgs_.size());
  if (position < 0 || position >= n) return 0;
  return hostArgs_[static_cast<std::size_t>(n - 1 - position)].asInt();
}

float vm_script::hostArgAsFloat(int position) {
  ++argsRead_;
  int n = static_cast<int>(hostArgs_.size());
  if (position < 0 || position >= n) return 0.0f;
  return hostArgs_[static_cast<std::size_t>(n - 1 - position)].asFloat();
}

std::string vm_script::hostArgAsString(int position) {
  ++argsRead_;
  int n = static_cast<int>(hostArgs_.size());
  if (position < 0 || position >= n) return std::string();
  return hostArgs_[static_cast<std::size_t>(n - 1 - position)].asText();
}

void vm_script::returnFromHost(int declared, vm_value result) {
  std::size_t n = hostArgs_.size();
  std::size_t own = static_cast<std::size_t>(std::max(0, declared));
  if (n < own) {
    WriteLog("vm::returnFloatFromHost: host API parameter table size error");
    // Outside a script's host call (the game's own calls) there is no name.
    if (hostName_ != nullptr) {
      WriteLog("vm::returnFloatFromHost: %s takes %zu arguments, the script passed %zu", hostName_->c_str(), own, n);
    }
  }
  hostArgs_.resize(n - std::min(n, own));
  hostReturned_ = true;
  if (result.type == OP_TYPE_STRING && result.text.size() > script::kMaxStringLength) {
    failHostCall(script::kStringTooLong);
    return;
  }
  retval_ = std::move(result);
}

void vm_script::failHostCall(const char* what) {
  hostFailed_ = true;
  ShowErrorBox("Script VM Error: %s\n", what);
}
