// A script thread: one loaded assembled script with its stack, globals, call frames and interpreter.
//
// There is no scheduler: a thread runs only inside callFunc, which executes
// the named function to its return. Stack layout, from cell 0 up: the
// globals, main's reserved frame (when the script has "_MAIN"), then call
// frames: the caller's arguments, a return marker cell, the locals, a
// function marker cell; the frame base is the index just above that marker.
// Negative stack indices in operands count from the frame base.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "script/runtime/bytecode_file.h"
#include "script/runtime/opcodes.h"
#include "script/runtime/script_ids.h"
#include "script/runtime/vm_value.h"
#include "script/runtime/xHostAPIManager.h"

class HGE;
class vm;

namespace script {

// The loaded code's own instruction numbers: the instruction set, in which the
// loader makes every number that is no instruction a PARAM, then the
// interpreter's codes beyond it. The dispatch names every code (a label or
// a case each), so a row added to opcodes.def without its case does not
// build.
//
// The fused codes run a short straight run of instructions, which the
// compiler emits together, in one dispatch (vm_prepare.cpp decides where);
// each instruction of the run still does exactly what it does alone, and a
// jump into the middle of a run runs the rest one by one.
enum class Code : std::uint16_t {
#define OP(name, ...) name,
#include "script/runtime/opcodes.def"
#undef OP
  END_OF_CODE,       // after the last instruction: ends the call
  ARITH_RUN,         // [mov D, A; | pop D;] add/sub/mul/div/mod D, B ... [; mov X, D | push D]
  RUN_ADD,           // the same with one add, sub, mul or div: the common binary expression
  RUN_SUB,
  RUN_MUL,
  RUN_DIV,
  PUSH_THEN_POP,     // push A; [mov X, Y;] pop B
  PUSH2_THEN_POP2,   // push A; push B; pop P; pop Q
  PUSH_RUN,          // push A; push B ... [; call F]: a call's arguments
  STEP_THEN_BRANCH,  // add/sub D, S or inc/dec D, then the conditional jump it goes on to
  ADD_THEN_BRANCH,   // the same for add on plain operands, integers inline: a loop's step and test
  MOV_THEN_RET,      // mov X, Y; ret
  CODE_COUNT,
};
static_assert(static_cast<int>(Code::END_OF_CODE) == kOpCount);

// An operand as the interpreter reads it, decided at load (see vm_prepare.cpp):
//   bit 0 set:  a cell of the current frame, (index * sizeof(vm_value)) | 1,
//               added to the frame base's address;
//   bit 1 set:  a pointer to an OperandPath (array elements and cells that
//               need a range check), | 2;
//   otherwise:  the value's own address (constants, globals, _RETVAL).
using OperandRef = std::uintptr_t;
constexpr OperandRef kFrameRef = 1;
constexpr OperandRef kPathRef = 2;

// How a checked operand finds its cell.
struct OperandPath {
  enum class Kind : std::uint8_t {
    Element,  // an array element whose index cell has a plain ref: [baseRef] and [indexRef]
    Checked,  // an array element or a cell found from [base] and [indexCell] alone
  };
  Kind kind = Kind::Checked;
  bool element = false;       // Checked: an array element (else a plain stack index)
  bool upward = true;         // Element: the array counts its elements upward from its base
  std::int32_t base = 0;      // a stack index (negative: from the frame base)
  std::int32_t indexCell = 0;  // an element's index: the stack index of its cell
  OperandRef baseRef = 0;     // Element: the base cell as a plain ref (it may lie outside the stack)
  OperandRef indexRef = 0;    // Element: the index cell as a plain ref
};

// The cold half of an instruction: its operands as loaded (labels,
// functions and host calls are read from here at load; values through refs).
struct InstrOperands {
  FileOperand ops[kMaxOperands];
};

// A host call's name (upper case) and its function, resolved on first use
// and valid while the registry's version equals [version] (the table is
// fixed after start-up).
struct HostCall {
  std::string name;
  HostAPIFunc func = nullptr;
  std::uint32_t version = 0;
};

// An arithmetic run's first instruction, when it is no arithmetic, and what
// follows its arithmetic.
enum class RunHead : std::uint8_t { None, Mov, Pop };
enum class RunTail : std::uint8_t { None, Mov, MovRet, Push };  // MovRet: the mov, then ret

// Whether loads fuse runs of instructions (on by default). Tests turn it off
// to compare fused and unfused runs of the same code.
void setFusedCodes(bool on);

// Calls the game starts on scripts nest on the C++ stack whenever a host
// function calls a script in turn (a focus change runs "init"; menu
// bindings, "htRunScript", bound functions and event handlers call by name),
// across every thread and group. Enforced by vm_script::callFunc: a call
// that would nest deeper is refused with one log line and the error box, and
// so is every later call until that nest has unwound: a script calling itself
// through the host stops once 64 calls deep instead of overflowing the stack
// (or, calling itself twice a level, running 2^64 calls). The demo nests 2
// deep; a level (the interpreter, a host function, the manager) takes under
// 2 KB of stack, under 16 KB in the sanitizer build, so 64 stay far below
// the stack's 8 MB.
constexpr int kMaxNestedCalls = 64;
// True while a nest in which a call was refused unwinds: the refusal has
// been reported, so callers say nothing more about the calls that fail.
bool nestedCallRefused();

}  // namespace script

// One loaded instruction, laid out for the interpreter: where its operands
// are, where execution goes next, and, kept apart, the operands as loaded.
struct vm_instr {
  script::Code code = script::Code::PARAM;  // what the dispatch runs: op, or a fused code
  script::Code op = script::Code::PARAM;    // the instruction itself
  std::uint8_t operandCount = 0;
  // ARITH_RUN: a "mov X, D" of the result follows; PUSH_THEN_POP: a mov
  // stands between the push and the pop; PUSH_RUN: a call follows.
  bool withMov = false;
  // ARITH_RUN: the arithmetic instructions of the run; PUSH_RUN: the pushes.
  std::uint8_t runLength = 0;
  // ARITH_RUN: what comes before and after the arithmetic.
  script::RunHead runHead = script::RunHead::None;
  script::RunTail runTail = script::RunTail::None;
  const void* handler = nullptr;  // threaded dispatch: the label of [code]
  // Values as OperandRefs; for call the function's index, for callhost
  // the address of its HostCall.
  script::OperandRef refs[3] = {0, 0, 0};
  // Where execution goes on when this instruction does not transfer control:
  // the next instruction, or where the jmp instructions from there lead
  // (a jmp does nothing else, so running it is skipped). Set at load.
  vm_instr* next = nullptr;
  // jmp and the conditional jumps: where a taken jump goes (a jump to its own
  // index goes on with the next instruction), set at load.
  vm_instr* target = nullptr;
  // The operands as loaded.
  const script::InstrOperands* operands = nullptr;
};

struct vm_func {
  std::int32_t entry = 0;
  std::int32_t paramCount = 0;
  std::int32_t localSize = 0;
  std::int32_t frameSize = 0;  // paramCount + localSize + 1
  std::string name;            // upper case
};

class vm_script {
 public:
  // [owner] and [group] are the group holding this thread (nullptr and
  // kNoGroup for a free-standing thread, as in tests).
  explicit vm_script(vm* owner = nullptr, script::GroupId group = script::kNoGroup);
  ~vm_script();
  vm_script(const vm_script&) = delete;
  vm_script& operator=(const vm_script&) = delete;

  // Reads an assembled file into the thread: a LoadResult (0 = loaded). A
  // thread running a call is left as it is (kLoadThreadBusy); any other
  // failure leaves the thread empty.
  [[nodiscard]] int loadBinary(const std::string& fileName);
  // Same from a script built or read in memory; validated first.
  [[nodiscard]] int loadAssembled(const script::AssembledScript& script);
  // Releases the script. During a call on this thread the contents are kept
  // until the outermost call returns; the thread reads as empty at once.
  void unload();
  // IP at main's entry (or -1), every cell null, top above globals and main's frame.
  void resetRunState();

  bool isLoaded() const { return state_ == kStateLoaded; }
  // True while a call runs on the thread or its release is pending: the
  // group does not reuse the slot then.
  bool isBusy() const { return callDepth_ > 0; }

  // Function index by name, without regard to ASCII case; -1 when absent.
  int findFunc(std::string_view name) const;
  // Runs the named function to its return with the arguments the host pushed
  // (pushHostArg) since the last call. False when the thread is not loaded,
  // there is no such function, its frame does not fit the stack, or the call
  // would nest deeper than kMaxNestedCalls.
  bool callFunc(std::string_view name);
  // Whether the last callFunc on this thread ran to the function's return or
  // an exit; false when it found nothing to run or an error ended it (a frame
  // that did not fit the stack, code run past its end).
  bool lastCallCompleted() const { return lastCallCompleted_; }

  // Stack push and pop (the push/pop instructions and the host). Overflow
  // and underflow show the error box and leave the stack unchanged; pop then
  // gives a null value.
  void push(const vm_value& value);
  vm_value pop();
  // An argument for the next callFunc, pushed by the game in source order.
  void pushHostArg(const vm_value& value);

  // Host-call arguments, positions counted from the last pushed (0). Reads
  // beyond what was pushed give 0 / 0.0 / "" and still count as read.
  std::int32_t hostArgAsInt(int position);
  float hostArgAsFloat(int position);
  std::string hostArgAsString(int position);
  // Stores a host function's result in _RETVAL and removes its own [declared]
  // arguments from the argument list. Fewer arguments than [declared] log the
  // size error and a line naming the host function; a text longer than
  // kMaxStringLength is not stored but fails the host call.
  void returnFromHost(int declared, vm_value result);
  // Shows the VM error box with [what] and ends the script's call once the
  // host function in progress returns, as at any VM error.
  void failHostCall(const char* what);

  // Identity stamped by the group.
  void setIndex(script::ThreadIndex index) { index_ = index; }
  void setGroup(script::GroupId group) { group_ = group; }
  script::ThreadIndex index() const { return index_; }
  script::GroupId group() const { return group_; }

  // Inspection (tests, tools).
  const vm_value& retval() const { return retval_; }
  int top() const { return top_; }
  int frameBase() const { return base_; }
  int ip() const { return ip_; }
  int stackSize() const { return size_; }
  const vm_value& cellAt(int index) const {
    return stack_.at(index >= 0 && index < size_ ? static_cast<std::size_t>(index + padding_) : stack_.size());
  }
  std::size_t hostArgCount() const { return hostArgs_.size(); }
  const std::vector<vm_func>& functions() const { return funcs_; }

 private:
  static constexpr int kStateLoaded = 0;
  static constexpr int kStateEmpty = 2;

  // The C++ record of one call; ret and every unwind trust it, not the marker cells.
  struct CallRecord {
    std::int32_t func;
    std::int32_t returnIp;
    std::int32_t savedBase;
    std::int32_t topAfter;  // top once the call is gone (arguments removed)
    bool host;              // started by callFunc
  };
  enum class RunResult { Returned, Exited, Aborted, Unloaded };
  // What a host call left: go on, the thread unloaded, or a failed call.
  enum class HostOutcome { Done, Unloaded, Failed };

  void releaseContents();
  // The frame's cells and a call record: every frame takes two cells or
  // more, so the records (half the stack's size) cannot run out first.
  bool frameFits(const vm_func& f, std::int64_t extraCells) const {
    return std::int64_t{top_} + extraCells + f.localSize + 2 <= std::int64_t{size_} && frameCount_ < frames_.size();
  }
  // Inline: the interpreter's call runs it for every script call.
  void pushFrame(int func, std::int32_t returnIp, bool host, std::int32_t topAfter) {
    const vm_func& f = funcs_[static_cast<std::size_t>(func)];
    frames_[frameCount_++] = CallRecord{func, returnIp, base_, topAfter, host};
    // Marker cells keep the documented layout; nothing reads them back.
    setMarker(cells_[top_], OP_TYPE_NULL, returnIp, 0);
    top_ += f.localSize + 2;
    setMarker(cells_[top_ - 1], host ? OP_TYPE_HOST_FRAME : OP_TYPE_NULL, func, base_);
    base_ = top_;
  }
  // A frame marker cell: {tag, value, extra}, releasing a text the cell held.
  static void setMarker(vm_value& cell, std::int32_t type, std::int32_t value, std::int32_t extra) {
    if (vm_value::holdsText(cell.type)) cell.clear();
    cell.type = type;
    cell.intValue = value;
    cell.extra = extra;
  }
  void unwindTo(std::size_t depth);
  void finishCall();

  // The interpreter (interpreter.cpp): runs until the call record at [depth]
  // is gone. With kLabelsOf it only hands out its dispatch labels.
  RunResult run(std::size_t depth);
  static constexpr std::size_t kLabelsOf = SIZE_MAX;
  const void* const* dispatchLabels_ = nullptr;
  // Checked operands: the cell a path names, for reading (outside the stack:
  // cell 0) or writing (outside the stack: a scratch cell, the write dropped).
  vm_value* pathCell(const script::OperandPath& path, std::uintptr_t frame, bool forWrite);
  vm_value* checkedCell(const script::OperandPath& path, bool forWrite);
  vm_value* droppedWrite(std::int64_t cell);
  // Load-time preparation for run (vm_prepare.cpp): operand refs, jump
  // targets, the end marker and fused pairs, which get codes of their own
  // beyond the instruction set.
  void prepareCode(const script::AssembledScript& file);
  std::int32_t framePadding() const;
  script::OperandRef refFor(const script::FileOperand& op, const script::AssembledScript& file);
  script::OperandRef plainRef(std::int32_t index);
  static script::OperandRef frameRef(std::int32_t index);
  RunResult abortCall(std::size_t depth, const char* what);
  HostOutcome callHost(vm_instr& instr);
  void pauseFor(std::int32_t ms);

  int state_ = kStateEmpty;
  bool hostReturned_ = false;
  bool hostFailed_ = false;
  int argsRead_ = 0;
  const std::string* hostName_ = nullptr;  // the host call in progress (upper case)
  script::ThreadIndex index_ = script::kNoThread;
  script::GroupId group_ = script::kNoGroup;
  vm* owner_ = nullptr;
  std::int32_t globalSize_ = 0;
  bool hasMain_ = false;
  std::int32_t mainIndex_ = 0;
  vm_value retval_;

  std::vector<vm_instr> instrs_;
  std::vector<script::InstrOperands> operands_;  // one per instruction
  // What refs point at, each allocated once at load: constant operands,
  // checked paths and host calls.
  std::vector<vm_value> constants_;
  std::vector<script::OperandPath> paths_;
  std::vector<script::HostCall> hostCalls_;
  std::int32_t ip_ = -1;
  // The stack: [padding_] cells below cell 0, so that a frame's cells never
  // need a range check (a frame reaches at most padding_ cells below its
  // base; see prepareCode), then the stack's own cells from cells_. A frame
  // cell below cell 0 (only a hand-made file has one) is a padding cell of
  // its own; deeper operands take the checked path.
  std::vector<vm_value> stack_;
  vm_value* cells_ = nullptr;
  std::int32_t size_ = 0;
  std::int32_t padding_ = 0;
  std::int32_t top_ = 0;
  std::int32_t base_ = 0;
  std::vector<vm_func> funcs_;
  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  using NameTable = std::unordered_map<std::string, int, TextHash, std::equal_to<>>;
  NameTable funcIndex_;             // upper-case name -> function
  mutable NameTable spellingCache_;  // every spelling asked for -> function or -1
  std::vector<vm_value> hostArgs_;
  // One record per call in progress, frameCount_ of them. Every frame takes
  // two cells or more, so the stack's size bounds their number and the
  // records are allocated once, at load.
  std::vector<CallRecord> frames_;
  std::size_t frameCount_ = 0;
  vm_value scratch_;  // target of dropped out-of-range writes

  bool lastCallCompleted_ = false;
  int pendingArgs_ = 0;        // values the game pushed for the next callFunc
  int callDepth_ = 0;          // nested host-started calls in progress
  bool releasePending_ = false;
  std::uint32_t generation_ = 0;  // changes on every load and unload
  HGE* hge_ = nullptr;
};
