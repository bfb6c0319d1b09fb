// Load-time preparation of a thread's code for the interpreter: operand refs, jump targets, fused pairs.
#include <algorithm>

#include "script/runtime/number_text.h"
#include "script/runtime/opcodes.h"
#include "script/runtime/vm_script.h"

using script::Code;
using script::OperandPath;
using script::OperandRef;

namespace {

bool gFuse = true;

// The deepest frame cell the interpreter reaches without a range check; a
// deeper operand (only a hand-made file has one) takes the checked path.
constexpr std::int32_t kMaxFramePadding = 4096;

bool sameOperand(const script::FileOperand& a, const script::FileOperand& b) { return a == b; }

const script::FileOperand& operandOf(const vm_instr& instr, int k) { return instr.operands->ops[k]; }

// What a value read of an operand that names no value (never in a verified
// file) reads.
const vm_value kNoValue{};

bool isPath(OperandRef ref) { return (ref & script::kPathRef) != 0; }

bool isConditionalJump(const vm_instr& instr) {
  return instr.op == Code::JE || instr.op == Code::JNE || instr.op == Code::JG || instr.op == Code::JL ||
         instr.op == Code::JGE || instr.op == Code::JLE;
}

bool isRunArith(Code op) {
  return op == Code::ADD || op == Code::SUB || op == Code::MUL || op == Code::DIV || op == Code::MOD;
}

// A run of arithmetic on one destination, the shape of every binary
// expression: [mov D, A; or pop D;] then arithmetic on D, [then mov X, D or
// push D]. Computed in registers, so every operand must be plain (no
// path). Returns the run's arithmetic instructions and sets its head and
// tail; 0 when there is no run of two instructions or more.
int arithRun(vm_instr* at, const vm_instr* end) {
  at->runHead = script::RunHead::None;
  at->runTail = script::RunTail::None;
  if (isPath(at->refs[0])) return 0;
  if (at->op == Code::MOV) {
    if (isPath(at->refs[1])) return 0;
    at->runHead = script::RunHead::Mov;
  } else if (at->op == Code::POP) {
    at->runHead = script::RunHead::Pop;
  } else if (!isRunArith(at->op) || isPath(at->refs[1])) {
    return 0;
  }
  const script::FileOperand& d = operandOf(*at, 0);
  const vm_instr* next = at->runHead == script::RunHead::None ? at : at + 1;
  int length = 0;
  for (; next < end && length < 255 && isRunArith(next->op) && !isPath(next->refs[1]) &&
         sameOperand(operandOf(*next, 0), d);
       ++next) {
    ++length;
  }
  if (next < end && next->op == Code::MOV && !isPath(next->refs[0]) && sameOperand(operandOf(*next, 1), d)) {
    at->runTail = next->next->op == Code::RET ? script::RunTail::MovRet : script::RunTail::Mov;
  } else if (next < end && next->op == Code::PUSH && sameOperand(operandOf(*next, 0), d)) {
    at->runTail = script::RunTail::Push;
  }
  int covered = length + (at->runHead != script::RunHead::None ? 1 : 0) + (at->runTail != script::RunTail::None ? 1 : 0);
  return length >= 1 && covered >= 2 ? length : 0;
}

// The fused code for the run starting at [at] ([end] is the end marker), or
// the instruction's own. The compiler's shapes: binary expressions and the
// stores of their results, element reads through the stack, loop steps
// before the loop's test, and returns of a value.
Code fusedCode(vm_instr* at, vm_instr* end) {
  auto is = [&](std::ptrdiff_t k, Code op) { return at + k < end && at[k].op == op; };
  if (int length = arithRun(at, end); length > 0) {
    at->runLength = static_cast<std::uint8_t>(length);
    if (length == 1) {
      switch (at[at->runHead == script::RunHead::None ? 0 : 1].op) {
        case Code::ADD: return Code::RUN_ADD;
        case Code::SUB: return Code::RUN_SUB;
        case Code::MUL: return Code::RUN_MUL;
        case Code::DIV: return Code::RUN_DIV;
        default: break;
      }
    }
    return Code::ARITH_RUN;
  }
  switch (at->op) {
    case Code::MOV:
      if (is(1, Code::RET)) return Code::MOV_THEN_RET;
      break;
    case Code::PUSH:
      if (is(1, Code::PUSH) && is(2, Code::POP) && is(3, Code::POP)) return Code::PUSH2_THEN_POP2;
      if (is(1, Code::POP)) return Code::PUSH_THEN_POP;
      if (is(1, Code::MOV) && is(2, Code::POP)) {
        at->withMov = true;
        return Code::PUSH_THEN_POP;
      }
      {
        int pushes = 1;
        while (pushes < 255 && is(pushes, Code::PUSH)) ++pushes;
        at->withMov = is(pushes, Code::CALL);
        if (pushes >= 2 || at->withMov) {
          at->runLength = static_cast<std::uint8_t>(pushes);
          return Code::PUSH_RUN;
        }
        at->withMov = false;
      }
      break;
    case Code::ADD:
    case Code::SUB:
    case Code::INC:
    case Code::DEC:
      if (isConditionalJump(*at->next)) {
        bool plain = !isPath(at->refs[0]) && !isPath(at->refs[1]) && !isPath(at->next->refs[0]) &&
                     !isPath(at->next->refs[1]);
        return at->op == Code::ADD && plain ? Code::ADD_THEN_BRANCH : Code::STEP_THEN_BRANCH;
      }
      break;
    default: break;
  }
  return at->op;
}

// Follows jmp instructions from [at]; a cycle of them spins either way, so
// a few steps are enough.
vm_instr* skipJumps(vm_instr* at) {
  for (int hops = 0; hops < 8 && at->op == Code::JMP; ++hops) at = at->target;
  return at;
}

}  // namespace

void script::setFusedCodes(bool on) { gFuse = on; }

std::int32_t vm_script::framePadding() const {
  std::int32_t deepest = 0;
  for (const script::InstrOperands& ops : operands_) {
    for (const script::FileOperand& op : ops.ops) {
      if (op.type == OP_TYPE_STACK_INDEX && op.value < 0 && op.value >= -kMaxFramePadding) {
        deepest = std::max(deepest, -op.value);
      }
      // An element's index cell is read through a plain ref.
      if (op.type == OP_TYPE_ARRAY_INDEX && op.extra < 0 && op.extra >= -kMaxFramePadding) {
        deepest = std::max(deepest, -op.extra);
      }
    }
  }
  return deepest;
}

// Frame cells within the padding and cells inside the stack are plain refs;
// everything else resolves through a checked path at run time. Constants
// get cells of their own, which nothing writes (the loader admits no
// constant where an instruction writes).
OperandRef vm_script::refFor(const script::FileOperand& op, const script::AssembledScript& file) {
  auto checked = [&](bool element, std::int32_t base, std::int32_t indexCell) {
    paths_.push_back({OperandPath::Kind::Checked, element, true, base, indexCell, 0, 0});
    return reinterpret_cast<OperandRef>(&paths_.back()) | script::kPathRef;
  };
  switch (op.type) {
    case OP_TYPE_INT: constants_.push_back(vm_value::makeInt(op.value)); break;
    case OP_TYPE_FLOAT: constants_.push_back(vm_value::makeFloat(op.asFloat())); break;
    case OP_TYPE_STRING:
      constants_.push_back(vm_value::makeString(file.strings[static_cast<std::size_t>(op.value)]));
      break;
    case OP_TYPE_RETVAL: return reinterpret_cast<OperandRef>(&retval_);
    case OP_TYPE_STACK_INDEX:
      if (OperandRef ref = plainRef(op.value); ref != 0) return ref;
      return checked(false, op.value, 0);
    case OP_TYPE_ARRAY_INDEX: {
      // A frame base reaches the stack through the padding no deeper than a
      // plain frame cell; an absolute one is kept as an address (checked
      // with the index added). An index cell outside the stack reads cell 0.
      OperandRef indexRef = plainRef(op.extra);
      if (indexRef == 0 && op.extra >= 0) indexRef = reinterpret_cast<OperandRef>(cells_);
      if (indexRef == 0 || op.value < -padding_) return checked(true, op.value, op.extra);
      OperandRef baseRef = op.value < 0 ? frameRef(op.value)
                                        : reinterpret_cast<OperandRef>(cells_) +
                                              static_cast<OperandRef>(op.value) * sizeof(vm_value);
      paths_.push_back({OperandPath::Kind::Element, true, op.value >= 1, op.value, op.extra, baseRef, indexRef});
      return reinterpret_cast<OperandRef>(&paths_.back()) | script::kPathRef;
    }
    case OP_TYPE_FUNC_INDEX: return static_cast<OperandRef>(op.value);
    case OP_TYPE_HOST_CALL:
      hostCalls_.push_back({script::toUpperAscii(file.strings[static_cast<std::size_t>(op.value)]), nullptr, 0});
      return reinterpret_cast<OperandRef>(&hostCalls_.back());
    default: return reinterpret_cast<OperandRef>(&kNoValue);
  }
  return reinterpret_cast<OperandRef>(&constants_.back());
}

OperandRef vm_script::frameRef(std::int32_t index) {
  return static_cast<OperandRef>(static_cast<std::intptr_t>(index) * static_cast<std::intptr_t>(sizeof(vm_value))) |
         script::kFrameRef;
}

// A stack index as a plain ref: a cell inside the stack, or a frame cell
// within the padding; 0 for any other.
OperandRef vm_script::plainRef(std::int32_t index) {
  if (index >= 0 && index < size_) return reinterpret_cast<OperandRef>(cells_ + index);
  if (index < 0 && -index <= padding_) return frameRef(index);
  return 0;
}

void vm_script::prepareCode(const script::AssembledScript& file) {
  static_assert(alignof(vm_value) >= 4 && alignof(OperandPath) >= 4, "refs keep two tag bits");
  // Refs point into these, so they are sized once, before any is taken.
  std::size_t constants = 0, paths = 0, hostCalls = 0;
  for (const vm_instr& instr : instrs_) {
    for (int k = 0; k < std::min<int>(instr.operandCount, script::kMaxOperands); ++k) {
      const script::FileOperand& op = operandOf(instr, k);
      constants += op.type <= OP_TYPE_STRING ? 1 : 0;
      paths += op.type == OP_TYPE_ARRAY_INDEX || op.type == OP_TYPE_STACK_INDEX ? 1 : 0;
      hostCalls += op.type == OP_TYPE_HOST_CALL ? 1 : 0;
    }
  }
  constants_.reserve(constants);
  paths_.reserve(paths);
  hostCalls_.reserve(hostCalls);
  for (vm_instr& instr : instrs_) {
    int n = std::min<int>(instr.operandCount, script::kMaxOperands);
    for (int k = 0; k < n; ++k) {
      const script::FileOperand& op = operandOf(instr, k);
      instr.refs[k] = refFor(op, file);
      if (op.type == OP_TYPE_INSTR_INDEX) {
        vm_instr* target = &instrs_[static_cast<std::size_t>(op.value)];
        instr.target = target == &instr ? &instr + 1 : target;
      }
    }
  }
  // The end marker falls nowhere: it ends the call.
  for (std::size_t i = 0; i + 1 < instrs_.size(); ++i) {
    vm_instr& instr = instrs_[i];
    instr.next = skipJumps(&instr + 1);
    if (instr.target != nullptr) instr.target = skipJumps(instr.target);
  }
  vm_instr* end = &instrs_.back();
  if (gFuse) {
    for (vm_instr* at = instrs_.data(); at < end; ++at) at->code = fusedCode(at, end);
  }
  run(kLabelsOf);
  if (dispatchLabels_ != nullptr) {
    for (vm_instr& instr : instrs_) instr.handler = dispatchLabels_[static_cast<std::size_t>(instr.code)];
  }
}
