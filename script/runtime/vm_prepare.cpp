// Load-time preparation of a thread's code for the interpreter: fixed operand addresses, jump targets, fused pairs.
#include <algorithm>

#include "script/runtime/opcodes.h"
#include "script/runtime/vm_script.h"

using script::Code;

namespace {

bool isOp(const vm_instr& instr, Code code) { return instr.code == code; }

bool sameOperand(const vm_value& a, const vm_value& b) {
  return a.type == b.type && a.intValue == b.intValue && a.extra == b.extra;
}

// "mov D, A" directly followed by "add/sub/mul/div D, B": the pair the
// compiler emits for every binary expression.
bool fusesMovArith(const vm_instr& first, const vm_instr& second) {
  if (!isOp(first, Code::MOV)) return false;
  if (!isOp(second, Code::ADD) && !isOp(second, Code::SUB) && !isOp(second, Code::MUL) && !isOp(second, Code::DIV)) {
    return false;
  }
  return sameOperand(first.operands[0], second.operands[0]);
}

// Follows jmp instructions from [at]; a cycle of them spins either way, so
// a few steps are enough.
vm_instr* skipJumps(vm_instr* at) {
  for (int hops = 0; hops < 8 && at->code == Code::JMP; ++hops) at = at->jumpTo;
  return at;
}
}  // namespace

void vm_script::prepareCode() {
  vm_instr end;
  end.code = Code::END_OF_CODE;
  instrs_.push_back(end);
  // Addresses are taken once the code and the stack have their final size.
  for (vm_instr& instr : instrs_) {
    int n = std::min<int>(instr.operandCount, script::kMaxOperands);
    for (int k = 0; k < n; ++k) {
      vm_value& op = instr.operands[k];
      vm_value*& fixed = instr.fixed[k];
      if (op.type == OP_TYPE_INT || op.type == OP_TYPE_FLOAT || op.type == OP_TYPE_STRING) {
        fixed = &op;
      } else if (op.type == OP_TYPE_RETVAL) {
        fixed = &retval_;
      } else if (op.type == OP_TYPE_STACK_INDEX && op.intValue >= 0 &&
                 static_cast<std::size_t>(op.intValue) < stack_.size()) {
        fixed = &stack_[static_cast<std::size_t>(op.intValue)];
      } else if (op.type == OP_TYPE_STACK_INDEX && op.intValue < 0) {
        instr.relative[k] = op.intValue;
      } else if (op.type == OP_TYPE_INSTR_INDEX) {
        vm_instr* target = &instrs_[static_cast<std::size_t>(op.intValue)];
        instr.jumpTo = target == &instr ? &instr + 1 : target;
      }
    }
  }
  // The end marker falls nowhere: it ends the call.
  for (std::size_t i = 0; i + 1 < instrs_.size(); ++i) {
    vm_instr& instr = instrs_[i];
    instr.fallTo = skipJumps(&instr + 1);
    if (instr.jumpTo != nullptr) instr.jumpTo = skipJumps(instr.jumpTo);
    if (fusesMovArith(instr, instrs_[i + 1])) {
      instr.code = Code::MOV_THEN_ARITH;
      const vm_instr& third = instrs_[i + 2];  // the end marker at the latest
      instr.storeAfter = isOp(third, Code::MOV) && sameOperand(third.operands[1], instr.operands[0]);
    }
  }
}

