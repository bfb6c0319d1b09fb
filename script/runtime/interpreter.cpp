// The script interpreter: one dispatch loop over the instruction table.
#include <bit>
#include <iterator>

#include "base/xLogFile.h"
#include "engine/hge.h"
#include "engine/platform.h"
#include "script/runtime/interpreter_ops.h"
#include "script/runtime/number_text.h"
#include "script/runtime/opcodes.h"
#include "script/runtime/vm_script.h"

using script::Code;

using namespace script::ops;

// Checked operands: array elements and cells that may lie outside the stack.
// Reads outside the stack read cell 0; writes go to a scratch cell and are
// dropped.
vm_value* vm_script::checkedCell(const script::OperandPath& path, bool forWrite) {
  std::int64_t cell;
  if (path.element) {
    std::int64_t indexCell = path.indexCell < 0 ? std::int64_t{base_} + path.indexCell : path.indexCell;
    const vm_value& holder = static_cast<std::uint64_t>(indexCell) < static_cast<std::uint64_t>(size_)
                                 ? cells_[indexCell]
                                 : cells_[0];
    std::int64_t index = toInt(holder);
    std::int64_t arrayBase = path.base;
    // Arrays at 1 or above grow upward, the others downward.
    std::int64_t relative = arrayBase >= 1 ? arrayBase + index : arrayBase - index;
    cell = arrayBase < 0 ? base_ + relative : relative;
  } else {
    cell = path.base < 0 ? std::int64_t{base_} + path.base : path.base;
  }
  if (static_cast<std::uint64_t>(cell) < static_cast<std::uint64_t>(size_)) [[likely]] return &cells_[cell];
  return forWrite ? droppedWrite(cell) : &cells_[0];
}

// Kept out of the loop: only a faulty index gets here.
[[gnu::noinline, gnu::cold]] vm_value* vm_script::droppedWrite(std::int64_t cell) {
  WriteLog("vm_script: write to stack index %lld outside the stack dropped", static_cast<long long>(cell));
  scratch_ = cells_[0];
  return &scratch_;
}

// Kept out of the loop: the call ends with the VM error box. Unwound first,
// so whatever the box's return to the title does finds the thread idle.
[[gnu::noinline, gnu::cold]] vm_script::RunResult vm_script::abortCall(std::size_t depth, const char* what) {
  unwindTo(depth);
  ShowErrorBox("Script VM Error: %s\n", what);
  return RunResult::Aborted;
}

vm_script::HostOutcome vm_script::callHost(vm_instr& instr) {
  argsRead_ = 0;
  hostReturned_ = false;
  hostFailed_ = false;
  script::HostCall& call = *reinterpret_cast<script::HostCall*>(instr.refs[0]);
  xHostAPIManager* registry = xHostAPIManager::getInstance();
  if (call.version != registry->version()) {
    call.func = registry->find(call.name);
    call.version = registry->version();
  }
  // The name stays set through the default result below, which also checks
  // the argument count.
  const std::string* outerHost = hostName_;
  hostName_ = &call.name;
  HostOutcome outcome = HostOutcome::Done;
  HostAPIFunc func = call.func;
  if (func == nullptr) {
    WriteLog("vm_script::callHostAPIFunc: Error calling host API function: %s", call.name.c_str());
  } else {
    // The function may unload this thread or reset its group (the thread
    // object itself lives until its call unwinds).
    std::uint32_t generation = generation_;
    func(index_, group_);
    if (generation != generation_) outcome = HostOutcome::Unloaded;
    else if (hostFailed_) outcome = HostOutcome::Failed;
  }
  if (outcome == HostOutcome::Done && !hostReturned_) returnFromHost(argsRead_, vm_value::makeInt(0));
  hostName_ = outerHost;
  return outcome;
}

void vm_script::pauseFor(std::int32_t ms) {
  if (ms <= 0) return;
  std::uint64_t wake = engine::monotonicMillis() + static_cast<std::uint64_t>(ms);
  for (std::uint64_t now = engine::monotonicMillis(); now < wake; now = engine::monotonicMillis()) {
    engine::sleepMillis(wake - now);
  }
}

namespace {

// The cell of a plain ref: a frame cell (tag bit 0, added to the frame
// base's address) or an address of its own.
[[gnu::always_inline]] inline vm_value* plainCell(script::OperandRef ref, std::uintptr_t frame) {
  return reinterpret_cast<vm_value*>(((ref & script::kFrameRef) != 0 ? frame - 1 : 0) + ref);
}

[[gnu::always_inline]] inline const script::OperandPath& pathOf(script::OperandRef ref) {
  return *reinterpret_cast<const script::OperandPath*>(ref & ~script::kPathRef);
}

}  // namespace

// Checked operands: array elements and cells that may lie outside the stack.
// Reads outside the stack read cell 0; writes go to a scratch cell and are
// dropped. The common element (its index in a plain cell) inline: the base
// cell moved by the index, kept in addresses until it is checked.
[[gnu::always_inline]] inline vm_value* vm_script::pathCell(const script::OperandPath& path, std::uintptr_t frame,
                                                            bool forWrite) {
  if (path.kind != script::OperandPath::Kind::Element) return checkedCell(path, forWrite);
  const vm_value* holder = plainCell(path.indexRef, frame);
  std::intptr_t index = holder->type == OP_TYPE_INT ? holder->intValue : toInt(*holder);
  std::uintptr_t base = (path.baseRef & script::kFrameRef) != 0 ? frame - 1 + path.baseRef : path.baseRef;
  std::uintptr_t step = static_cast<std::uintptr_t>(path.upward ? index : -index) * sizeof(vm_value);
  std::uintptr_t offset = base + step - reinterpret_cast<std::uintptr_t>(cells_);
  if (offset < static_cast<std::uintptr_t>(size_) * sizeof(vm_value)) [[likely]] {
    return reinterpret_cast<vm_value*>(reinterpret_cast<std::uintptr_t>(cells_) + offset);
  }
  std::int64_t cell = static_cast<std::intptr_t>(offset) / static_cast<std::intptr_t>(sizeof(vm_value));
  return forWrite ? droppedWrite(cell) : &cells_[0];
}

// The dispatch loop. Over 60 lines because it is the one dispatch over all
// codes; slow paths live in the helpers above. Dispatch is threaded through
// a table of labels where the compiler has computed goto, a switch otherwise
// (and in sanitizer builds, so tests run both). The code and the stack stay
// where they are during a call (loads and releases wait for it to end), so
// their addresses are held in locals; the frame's address is refreshed
// whenever a frame changes or the host has run. Each instruction's work is
// one macro, so a fused code runs exactly what its instructions run alone.
vm_script::RunResult vm_script::run(std::size_t depth) {
  vm_instr* const code = instrs_.data();
  vm_instr* pc = nullptr;
  std::uintptr_t frame = reinterpret_cast<std::uintptr_t>(cells_ + base_);
  // An arithmetic run's result, its destination and where its tail starts.
  std::int32_t runType = OP_TYPE_NULL, runBits = 0;
  vm_value* runCell = nullptr;
  vm_instr* runTail = nullptr;
#define SYNC_FRAME() (frame = reinterpret_cast<std::uintptr_t>(cells_ + base_))
#define REF(instr, k, forWrite)                                                              \
  (((instr)->refs[k] & script::kPathRef) != 0 ? pathCell(pathOf((instr)->refs[k]), frame, forWrite) \
                                              : plainCell((instr)->refs[k], frame))
#define READ_OF(instr, k) static_cast<const vm_value*>(REF(instr, k, false))
#define WRITE_OF(instr, k) REF(instr, k, true)
#define READ(k) READ_OF(pc, k)
#define WRITE(k) WRITE_OF(pc, k)
  // The work of single instructions, shared by their own codes and the fused ones.
#define DO_MOV(instr) WRITE_OF(instr, 0)->assignKeepExtra(*READ_OF(instr, 1))
#define DO_PUSH(instr)                                         \
  do {                                                         \
    const vm_value* pushed = READ_OF(instr, 0);                \
    if (top_ < size_) cells_[top_++].assign(*pushed);          \
    else push(*pushed); /* reports the overflow */             \
  } while (false)
#define DO_POP(instr)                                          \
  do {                                                         \
    vm_value* popped = WRITE_OF(instr, 0);                     \
    if (top_ >= 1) {                                           \
      /* a copy: the cell keeps its value for a later frame */ \
      popped->assignKeepExtra(cells_[--top_]);                 \
    } else {                                                   \
      vm_value v = pop(); /* reports the empty stack */        \
      popped->assignKeepExtra(v);                              \
    }                                                          \
  } while (false)
#define DO_ARITH(instr) arith((instr)->op, *WRITE_OF(instr, 0), instr->operandCount > 1 ? READ_OF(instr, 1) : nullptr)
// A conditional jump, dispatched from two places: the jump is a real branch
// (the next instruction's loads start before the comparison is known) and
// each way keeps its own prediction.
#define DO_BRANCH_AND_DISPATCH(instr)                                                  \
  do {                                                                                 \
    const vm_value* left = READ_OF(instr, 0);                                          \
    const vm_value* right = READ_OF(instr, 1);                                         \
    bool taken = (left->type | right->type) == OP_TYPE_INT                             \
                     ? intJumpTaken((instr)->op, left->intValue, right->intValue)      \
                     : jumpTaken((instr)->op, *left, *right);                          \
    if (taken) {                                                                       \
      pc = (instr)->target;                                                            \
      DISPATCH();                                                                      \
    }                                                                                  \
    pc = (instr)->next;                                                                \
    DISPATCH();                                                                        \
  } while (false)
#define DO_RET()                              \
  do {                                        \
    const CallRecord& record = frames_[--frameCount_]; \
    top_ = record.topAfter;                   \
    base_ = record.savedBase;                 \
    std::int32_t returnIp = record.returnIp;  \
    bool host = record.host;                  \
    if (host) {                               \
      ip_ = returnIp;                         \
      return RunResult::Returned;             \
    }                                         \
    pc = code + returnIp;                     \
    SYNC_FRAME();                             \
  } while (false)
#define DO_CALL(instr)                                                                               \
  do {                                                                                               \
    int func = static_cast<int>((instr)->refs[0]);                                                   \
    const vm_func& f = funcs_[static_cast<std::size_t>(func)];                                       \
    if (!frameFits(f, 0)) [[unlikely]] {                                                             \
      ShowErrorBox("Script VM Error: %s\n", "Stack fulled");                                        \
      unwindTo(depth);                                                                               \
      return RunResult::Aborted;                                                                     \
    }                                                                                                \
    /* The return IP is the next index itself: it is kept in the frame's marker cell. */             \
    pushFrame(func, static_cast<std::int32_t>((instr) - code) + 1, false, std::max(0, top_ - f.paramCount)); \
    SYNC_FRAME();                                                                                    \
    pc = code + f.entry;                                                                             \
  } while (false)
#if defined(__GNUC__) && !defined(VELMORA_SWITCH_DISPATCH)
  static const void* const kLabels[] = {
#define OP(name, ...) &&L_##name,
#include "script/runtime/opcodes.def"
#undef OP
      &&L_END_OF_CODE, &&L_ARITH_RUN, &&L_RUN_ADD, &&L_RUN_SUB, &&L_RUN_MUL, &&L_RUN_DIV, &&L_PUSH_THEN_POP, &&L_PUSH2_THEN_POP2, &&L_PUSH_RUN, &&L_STEP_THEN_BRANCH, &&L_ADD_THEN_BRANCH,
      &&L_MOV_THEN_RET,
  };
  static_assert(std::size(kLabels) == static_cast<std::size_t>(Code::CODE_COUNT), "a label for every code");
  if (depth == kLabelsOf) {
    dispatchLabels_ = kLabels;
    return RunResult::Returned;
  }
#define CASE(name) L_##name:
#define DISPATCH() goto* pc->handler
#define DISPATCH_PLAIN() goto* kLabels[static_cast<std::size_t>(pc->op)]
  pc = code + ip_;
  DISPATCH();
#else
  if (depth == kLabelsOf) return RunResult::Returned;
#define CASE(name) case Code::name:
  pc = code + ip_;
  Code current = pc->code;
#define DISPATCH()      \
  do {                  \
    current = pc->code; \
    goto dispatch;      \
  } while (false)
#define DISPATCH_PLAIN() \
  do {                   \
    current = pc->op;    \
    goto dispatch;       \
  } while (false)
dispatch:
  switch (current) {
#endif
#define NEXT()      \
  do {              \
    pc = pc->next;  \
    DISPATCH();     \
  } while (false)

  CASE(MOV) DO_MOV(pc); NEXT();
  CASE(ARITH_RUN) {
    // The run in registers when every value is a number and D holds no
    // text; otherwise its instructions one by one (nothing is written
    // before that is decided). The loader fuses only operands without paths.
    vm_instr* at = pc;
    vm_value* d = plainCell(at->refs[0], frame);
    const vm_value* first = d;
    if (pc->runHead == script::RunHead::Mov) {
      first = plainCell(at->refs[1], frame);
    } else if (pc->runHead == script::RunHead::Pop) {
      if (top_ < 1) DISPATCH_PLAIN();  // the pop reports the empty stack
      first = &cells_[top_ - 1];
    }
    if (vm_value::holdsText(d->type) || !isNumber(*first)) DISPATCH_PLAIN();
    Number v{first->type, first->intValue};
    if (pc->runHead != script::RunHead::None) ++at;
    for (vm_instr* last = at + pc->runLength; at < last; ++at) {
      const vm_value* s = plainCell(at->refs[1], frame);
      if (s != d && !isNumber(*s)) DISPATCH_PLAIN();
      if (!runStep(at->op, v, s == d ? v : Number{s->type, s->intValue})) DISPATCH_PLAIN();
    }
    if (pc->runHead == script::RunHead::Pop) --top_;
    runType = v.type;
    runBits = v.bits;
    runCell = d;
    runTail = at;
    goto finish_run;
  }
  // The single-operation runs: the two kinds of numbers the operation keeps
  // to inline, the rest through runStep.
#define VELMORA_RUN(OPNAME, INT_RESULT, FLOAT_RESULT)                                                \
  CASE(RUN_##OPNAME) {                                                                              \
    vm_value* d = plainCell(pc->refs[0], frame);                                                    \
    const vm_value* a = d;                                                                          \
    if (pc->runHead == script::RunHead::Mov) {                                                      \
      a = plainCell(pc->refs[1], frame);                                                            \
    } else if (pc->runHead == script::RunHead::Pop) {                                               \
      if (top_ < 1) DISPATCH_PLAIN();                                                               \
      a = &cells_[top_ - 1];                                                                        \
    }                                                                                               \
    vm_instr* at = pc + (pc->runHead == script::RunHead::None ? 0 : 1);                             \
    const vm_value* b = plainCell(at->refs[1], frame);                                              \
    if (b == d) b = a; /* reads D as the head left it */                                            \
    if (vm_value::holdsText(d->type)) DISPATCH_PLAIN();                                             \
    if ((a->type | b->type) == OP_TYPE_INT) {                                                       \
      std::int32_t x = a->intValue, y = b->intValue;                                                \
      INT_RESULT;                                                                                   \
    } else if (a->type == OP_TYPE_FLOAT && b->type == OP_TYPE_FLOAT) {                              \
      float x = a->floatValue, y = b->floatValue;                                                   \
      runType = OP_TYPE_FLOAT;                                                                      \
      runBits = std::bit_cast<std::int32_t>(FLOAT_RESULT);                                          \
    } else {                                                                                        \
      Number v{a->type, a->intValue};                                                               \
      if (!isNumber(*a) || !isNumber(*b) || !runStep(Code::OPNAME, v, Number{b->type, b->intValue})) \
        DISPATCH_PLAIN();                                                                           \
      runType = v.type;                                                                             \
      runBits = v.bits;                                                                             \
    }                                                                                               \
    if (pc->runHead == script::RunHead::Pop) --top_;                                                \
    runCell = d;                                                                                    \
    runTail = at + 1;                                                                               \
    goto finish_run;                                                                                \
  }
  VELMORA_RUN(ADD, (runType = OP_TYPE_INT, runBits = wrapAdd(x, y)), x + y)
  VELMORA_RUN(SUB, (runType = OP_TYPE_INT, runBits = wrapSub(x, y)), x - y)
  VELMORA_RUN(MUL, (runType = OP_TYPE_INT, runBits = wrapMul(x, y)), x * y)
  VELMORA_RUN(DIV, (runType = OP_TYPE_FLOAT, runBits = std::bit_cast<std::int32_t>(static_cast<float>(x) / static_cast<float>(y))), x / y)
#undef VELMORA_RUN
  // A run's result into D, then its tail (runTail: the instruction after
  // its arithmetic). Shared by the run codes, which jump here.
finish_run: {
    runCell->type = runType;
    runCell->intValue = runBits;
    vm_instr* at = runTail;
    switch (pc->runTail) {
      case script::RunTail::None:
        pc = at - 1;
        NEXT();
      case script::RunTail::Mov: {
        // "mov X, D": stored from the same result, unless X holds a text,
        // which the mov alone releases.
        vm_value* x = plainCell(at->refs[0], frame);
        pc = at;
        if (vm_value::holdsText(x->type)) DISPATCH();
        x->type = runType;
        x->intValue = runBits;
        NEXT();
      }
      case script::RunTail::MovRet: {
        vm_value* x = plainCell(at->refs[0], frame);
        pc = at;
        if (vm_value::holdsText(x->type)) DISPATCH();
        x->type = runType;
        x->intValue = runBits;
        DO_RET();
        DISPATCH();
      }
      case script::RunTail::Push: {
        // "push D": a call's argument, as push copies it.
        pc = at;
        if (top_ >= size_ || vm_value::holdsText(cells_[top_].type)) DISPATCH();
        vm_value& cell = cells_[top_++];
        cell.type = runType;
        cell.intValue = runBits;
        cell.extra = runCell->extra;
        NEXT();
      }
    }
    __builtin_unreachable();
  }
  CASE(PUSH_THEN_POP) {
    DO_PUSH(pc);
    if (pc->withMov) {
      ++pc;
      DO_MOV(pc);
    }
    ++pc;
    DO_POP(pc);
    NEXT();
  }
  CASE(PUSH2_THEN_POP2) {
    DO_PUSH(pc);
    DO_PUSH(pc + 1);
    DO_POP(pc + 2);
    pc += 3;
    DO_POP(pc);
    NEXT();
  }
  CASE(PUSH_RUN) {
    vm_instr* last = pc + pc->runLength - 1;
    for (vm_instr* at = pc;; ++at) {
      DO_PUSH(at);
      if (at == last) break;
    }
    if (!pc->withMov) {
      pc = last;
      NEXT();
    }
    DO_CALL(last + 1);
    DISPATCH();
  }
  CASE(STEP_THEN_BRANCH) {
    DO_ARITH(pc);
    vm_instr* jump = pc->next;
    DO_BRANCH_AND_DISPATCH(jump);
  }
  CASE(ADD_THEN_BRANCH) {
    vm_value* d = plainCell(pc->refs[0], frame);
    const vm_value* s = plainCell(pc->refs[1], frame);
    vm_instr* jump = pc->next;
    const vm_value* left = plainCell(jump->refs[0], frame);
    const vm_value* right = plainCell(jump->refs[1], frame);
    if ((d->type | s->type) != OP_TYPE_INT) DISPATCH_PLAIN();
    d->intValue = wrapAdd(d->intValue, s->intValue);
    if ((left->type | right->type) != OP_TYPE_INT) {
      pc = jump;
      DISPATCH();
    }
    if (intJumpTaken(jump->op, left->intValue, right->intValue)) {
      pc = jump->target;
      DISPATCH();
    }
    pc = jump->next;
    DISPATCH();
  }
  CASE(MOV_THEN_RET) DO_MOV(pc); DO_RET(); DISPATCH();
  CASE(ADD) mixedArith(*WRITE(0), *READ(1), wrapAdd, [](float a, float b) { return a + b; }); NEXT();
  CASE(SUB) mixedArith(*WRITE(0), *READ(1), wrapSub, [](float a, float b) { return a - b; }); NEXT();
  CASE(MUL) mixedArith(*WRITE(0), *READ(1), wrapMul, [](float a, float b) { return a * b; }); NEXT();
  CASE(DIV) doDiv(*WRITE(0), *READ(1)); NEXT();
  CASE(MOD) doMod(*WRITE(0), *READ(1)); NEXT();
  CASE(EXP) doExp(*WRITE(0), *READ(1)); NEXT();
  CASE(NEG) {
    vm_value* d = WRITE(0);
    if (d->type == OP_TYPE_INT) d->intValue = wrapSub(0, d->intValue);
    else if (d->type == OP_TYPE_FLOAT) d->floatValue = -d->floatValue;
    NEXT();
  }
  CASE(INC) step(*WRITE(0), 1); NEXT();
  CASE(DEC) step(*WRITE(0), -1); NEXT();
  CASE(AND) CASE(OR) CASE(XOR) CASE(SHL) CASE(SHR) bitwise(pc->op, *WRITE(0), toInt(*READ(1))); NEXT();
  CASE(NOT) {
    vm_value* d = WRITE(0);
    if (d->type == OP_TYPE_INT) d->intValue = ~d->intValue;
    NEXT();
  }
  CASE(CONCAT) {
    if (!doConcat(*WRITE(0), *READ(1))) [[unlikely]] return abortCall(depth, script::kStringTooLong);
    NEXT();
  }
  CASE(GETCHAR) doGetChar(*WRITE(0), *READ(1), *READ(2)); NEXT();
  CASE(SETCHAR) doSetChar(*WRITE(0), *READ(1), *READ(2)); NEXT();
  CASE(JMP) pc = pc->target; DISPATCH();
#define VELMORA_JUMP(OPNAME, INT_TEST)                                                 \
  CASE(OPNAME) {                                                                       \
    const vm_value* a = READ(0);                                                       \
    const vm_value* b = READ(1);                                                       \
    bool taken = (a->type | b->type) == OP_TYPE_INT ? a->intValue INT_TEST b->intValue \
                                                    : jumpTaken(Code::OPNAME, *a, *b); \
    if (taken) {                                                                       \
      pc = pc->target;                                                                 \
      DISPATCH();                                                                      \
    }                                                                                  \
    pc = pc->next;                                                                     \
    DISPATCH();                                                                        \
  }
  // Integer against integer, the common loop test, is decided inline.
  VELMORA_JUMP(JE, ==)
  VELMORA_JUMP(JNE, !=)
  VELMORA_JUMP(JG, >)
  VELMORA_JUMP(JL, <)
  VELMORA_JUMP(JGE, >=)
  VELMORA_JUMP(JLE, <=)
#undef VELMORA_JUMP
  CASE(PUSH) DO_PUSH(pc); NEXT();
  CASE(POP) DO_POP(pc); NEXT();
  CASE(CALL) DO_CALL(pc); DISPATCH();
  CASE(RET) DO_RET(); DISPATCH();
  CASE(CALLHOST) {
    ip_ = static_cast<std::int32_t>(pc - code);
    HostOutcome outcome = callHost(*pc);
    if (outcome != HostOutcome::Done) [[unlikely]] {
      if (outcome == HostOutcome::Unloaded) return RunResult::Unloaded;
      unwindTo(depth);  // the host function has shown the error
      return RunResult::Aborted;
    }
    SYNC_FRAME();
    NEXT();
  }
  CASE(PAUSE) {
    ip_ = static_cast<std::int32_t>(pc - code);
    pauseFor(toInt(*READ(0)));
    NEXT();
  }
  CASE(EXIT) {
    unwindTo(depth);
    ip_ = -1;
    return RunResult::Exited;
  }
  CASE(PRINT) WriteLog("%s", READ(0)->asText().c_str()); NEXT();
  CASE(SIN) CASE(COS) CASE(TAN) CASE(LN) CASE(LG) CASE(EXPL) CASE(REC) CASE(SH) CASE(CH) CASE(TH) CASE(SQRT) {
    vm_value* d = WRITE(0);
    d->setFloat(mathFunction(pc->op, toFloat(*READ(1))));
    NEXT();
  }
  CASE(PUSHHPARAM) hostArgs_.push_back(*READ(0)); NEXT();
  CASE(RANDOM_INT) {
    vm_value* d = WRITE(0);
    std::int32_t lo = toInt(*READ(1)), hi = toInt(*READ(2));
    d->setInt(hge_ != nullptr ? hge_->Random_Int(lo, hi) : lo);
    NEXT();
  }
  CASE(RANDOM_FLOAT) {
    vm_value* d = WRITE(0);
    float lo = toFloat(*READ(1)), hi = toFloat(*READ(2));
    d->setFloat(hge_ != nullptr ? hge_->Random_Float(lo, hi) : lo);
    NEXT();
  }
  CASE(PUSHPARAM) CASE(PARAM) NEXT();  // no-ops (the loader made every other number PARAM)
  CASE(END_OF_CODE) {
    WriteLog("vm_script::callFunc: instruction index %d outside the code, call ended",
             static_cast<int>(pc - code));
    unwindTo(depth);
    return RunResult::Aborted;
  }
#if !(defined(__GNUC__) && !defined(VELMORA_SWITCH_DISPATCH))
    case Code::CODE_COUNT: break;
  }
#endif
  // Every code ends in a dispatch or a return.
  __builtin_unreachable();
#undef SYNC_FRAME
#undef REF
#undef READ_OF
#undef WRITE_OF
#undef READ
#undef WRITE
#undef DO_MOV
#undef DO_PUSH
#undef DO_POP
#undef DO_ARITH
#undef DO_BRANCH_AND_DISPATCH
#undef DO_RET
#undef DO_CALL
#undef CASE
#undef DISPATCH
#undef DISPATCH_PLAIN
#undef NEXT
}
