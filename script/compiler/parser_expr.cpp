// The script parser: expressions, conditions and calls, as stack code.
#include "script/compiler/parser.h"

#include "script/runtime/number_text.h"

namespace script {

namespace {

// What follows a comparison inside a condition.
enum Follows { kFollowsNothing = 0, kFollowsAnd = 1, kFollowsOr = 2 };

std::optional<Op> comparisonJump(int index) {
  switch (index) {
    case kOpEqual: return Op::JE;
    case kOpNotEqual: return Op::JNE;
    case kOpLess: return Op::JL;
    case kOpGreater: return Op::JG;
    case kOpLessEqual: return Op::JLE;
    case kOpGreaterEqual: return Op::JGE;
    default: return std::nullopt;
  }
}

std::optional<Op> additiveOp(int index) {
  switch (index) {
    case kOpAdd: return Op::ADD;
    case kOpSub: return Op::SUB;
    case kOpConcat: return Op::CONCAT;
    default: return std::nullopt;
  }
}

std::optional<Op> termOp(int index) {
  switch (index) {
    case kOpMul: return Op::MUL;
    case kOpDiv: return Op::DIV;
    case kOpMod: return Op::MOD;
    case kOpExp: return Op::EXP;
    case kOpAnd: return Op::AND;
    case kOpOr: return Op::OR;
    case kOpXor: return Op::XOR;
    case kOpShiftLeft: return Op::SHL;
    case kOpShiftRight: return Op::SHR;
    default: return std::nullopt;
  }
}

}  // namespace

// expression -> additive { ( '==' | '!=' | '<' | '>' | '<=' | '>=' | '&&' | '||' ) additive }
// No precedence within the level. In a condition, comparisons become jumps
// and push nothing: the result tells whether a value is left on the stack.
bool Parser::expression() {
  Nesting nesting(*this);
  bool hasValue = additive();
  for (;;) {
    if (next() != TokenKind::Operator) break;
    int index = lex_.operatorIndex();
    if (std::optional<Op> jump = comparisonJump(index)) {
      if (!hasValue || !additive()) error("Invalid expression");
      // A comparison whose result is compared again must be a value.
      if (inCondition() && !nextIsComparison()) {
        emit(Op::POP, t1());
        emit(Op::POP, t0());
        conditionJump(*jump, t0(), t1(), whatFollows());
        hasValue = false;
      } else {
        valueComparison(*jump);
        hasValue = true;
      }
    } else if (index == kOpLogicalAnd || index == kOpLogicalOr) {
      if (inCondition()) {
        if (hasValue) testPendingValue(index == kOpLogicalOr ? kFollowsOr : kFollowsAnd);
        hasValue = additive();
      } else {
        if (!additive()) error("Invalid expression");
        valueLogic(index == kOpLogicalAnd);
      }
    } else {
      break;
    }
  }
  lex_.rewind();
  return hasValue;
}

// One level of binary operators: operand { op operand }, each pair popped
// into the temporaries, combined, and the result pushed.
bool Parser::binaryLevel(bool (Parser::*operand)(), std::optional<Op> (*opOf)(int)) {
  bool hasValue = (this->*operand)();
  while (next() == TokenKind::Operator) {
    std::optional<Op> op = opOf(lex_.operatorIndex());
    if (!op) break;
    if (!hasValue || !(this->*operand)()) error("Invalid expression");
    emit(Op::POP, t1());
    emit(Op::POP, t0());
    emit(*op, t0(), t1());
    emit(Op::PUSH, t0());
  }
  lex_.rewind();
  return hasValue;
}

// additive -> term { ( '+' | '-' | '$' ) term }
bool Parser::additive() { return binaryLevel(&Parser::term, additiveOp); }

// term -> factor { ( '*' | '/' | '%' | '^' | '&' | '|' | '#' | '<<' | '>>' ) factor }
bool Parser::term() { return binaryLevel(&Parser::factor, termOp); }

// factor -> [ '+' | '-' | '~' | '!' | '++' | '--' ] primary
// The operand of a prefix operator is always a value; the operator changes
// only the pushed copy.
bool Parser::factor() {
  if (next() != TokenKind::Operator) return primary();
  int prefix = lex_.operatorIndex();
  if (prefix != kOpAdd && prefix != kOpSub && prefix != kOpNot && prefix != kOpLogicalNot &&
      prefix != kOpIncrement && prefix != kOpDecrement)
    error("Invalid input");
  next();
  std::vector<JumpRecord> saved;
  saved.swap(s_.conditionStack);
  primary();
  saved.swap(s_.conditionStack);
  if (prefix == kOpAdd) return true;
  emit(Op::POP, t0());
  if (prefix == kOpLogicalNot) {
    std::int32_t isZero = t_.nextLabel();
    std::int32_t done = t_.nextLabel();
    emit(Op::JE, t0(), Operand::integer(0), Operand::jumpTarget(isZero));
    emit(Op::PUSH, Operand::integer(0));
    emit(Op::JMP, Operand::jumpTarget(done));
    label(isZero);
    emit(Op::PUSH, Operand::integer(1));
    label(done);
    return true;
  }
  Op op = prefix == kOpSub ? Op::NEG : prefix == kOpNot ? Op::NOT : prefix == kOpIncrement ? Op::INC : Op::DEC;
  emit(op, t0());
  emit(Op::PUSH, t0());
  return true;
}

// primary -> 'true' | 'false' | integer [ '++' | '--' ] | float [ '++' | '--' ] | string
//          | variable-value | call | '(' expression ')'
// The token is already read.
bool Parser::primary() {
  switch (lex_.kind()) {
    case TokenKind::True: emit(Op::PUSH, Operand::integer(1)); return true;
    case TokenKind::False: emit(Op::PUSH, Operand::integer(0)); return true;
    case TokenKind::Integer: {
      std::uint32_t value = std::uint32_t(checkedInteger(lex_.text()));
      int step = postfixStep();
      emit(Op::PUSH, Operand::integer(std::int32_t(value + std::uint32_t(step))));
      return true;
    }
    case TokenKind::Float: {
      float value = textToFloat(lex_.text());
      int step = postfixStep();
      emit(Op::PUSH, Operand::floating(value + float(step)));
      return true;
    }
    case TokenKind::String:
      emit(Op::PUSH, Operand::string(t_.addString(lex_.text())));
      return true;
    case TokenKind::Identifier: identifierFactor(); return true;
    case TokenKind::OpenParen: {
      bool hasValue = expression();
      expect(TokenKind::CloseParen, ") expected");
      return hasValue;
    }
    default: error("Invalid input");
  }
}

// A directly following "++" gives +1, "--" -1, anything else (taken back) 0.
int Parser::postfixStep() {
  next();
  if (isOperator(kOpIncrement)) return 1;
  if (isOperator(kOpDecrement)) return -1;
  lex_.rewind();
  return 0;
}

// variable-value -> variable [ '[' expression ']' | member-path ] [ '++' | '--' ]
// A postfix "++"/"--" changes the variable before its value is pushed.
void Parser::identifierFactor() {
  std::string name = lex_.textString();
  if (const SymbolRecord* found = visibleSymbol(name)) {
    Operand cell = parseVariableCell(*found);
    if (int step = postfixStep()) emit(step > 0 ? Op::INC : Op::DEC, cell);
    emit(Op::PUSH, cell);
    return;
  }
  const FunctionRecord* function = t_.findFunction(name);
  if (!function) error("Invalid funccall");
  call(function->index, true);
}

// call -> name '(' [ expression { ',' expression } ] ')'
// Arguments are values even inside a condition.
void Parser::call(std::int32_t index, bool inExpression) {
  const FunctionRecord& function = *t_.functionAt(index);
  const FunctionKind kind = function.kind;
  const std::int32_t parameterCount = function.parameterCount;
  if (kind == FunctionKind::BuiltIn) {
    Op op = kBuiltInOps[std::size_t(index)];  // built-ins take the first function slots
    expect(TokenKind::OpenParen, "( expected");
    valueSubexpression(&Parser::expression);
    if (parameterCount == 2) {
      // Both arguments are evaluated before either is popped.
      expect(TokenKind::Comma, ", expected");
      valueSubexpression(&Parser::expression);
      expect(TokenKind::CloseParen, ") expected");
      emit(Op::POP, t2());
      emit(Op::POP, t1());
      emit(op, t0(), t1(), t2());
    } else {
      expect(TokenKind::CloseParen, ") expected");
      emit(Op::POP, t1());
      emit(op, t0(), t1());
    }
    if (inExpression) emit(Op::PUSH, t0());
    return;
  }
  callArguments(kind, parameterCount);
  emit(kind == FunctionKind::Host ? Op::CALLHOST : Op::CALL, Operand::function(index));
  if (inExpression) emit(Op::PUSH, Operand::retVal());
}

// The arguments' values stay on the stack; a host function's are handed over
// one by one instead.
void Parser::callArguments(FunctionKind kind, std::int32_t parameterCount) {
  expect(TokenKind::OpenParen, "( expected");
  std::int32_t count = 0;
  while (lex_.peekChar() != ')') {
    if (++count > parameterCount) error("Too many parameters");
    valueSubexpression(&Parser::expression);
    if (kind == FunctionKind::Host) {
      emit(Op::POP, t0());
      emit(Op::PUSHHPARAM, t0());
    }
    if (lex_.peekChar() != ')') expect(TokenKind::Comma, ", expected");
  }
  expect(TokenKind::CloseParen, ") expected");
  if (count < parameterCount) error("Too few parameters");
}

// condition -> expression ; a value left without a comparison is tested
// against 0.
void Parser::condition() {
  if (expression()) testPendingValue(kFollowsNothing);
}

void Parser::testPendingValue(int follows) {
  emit(Op::POP, t0());
  conditionJump(Op::JNE, t0(), Operand::integer(0), follows);
}

// Before an "or", a comparison that holds decides the condition; otherwise
// one that fails does.
void Parser::conditionJump(Op jump, const Operand& left, const Operand& right, int follows) {
  JumpRecord& record = s_.conditionStack.back();
  if (follows == kFollowsOr) {
    if (record.first == kLazyLabel) record.first = t_.nextLabel();
    emit(jump, left, right, Operand::jumpTarget(record.first));
    return;
  }
  std::int32_t passed = t_.nextLabel();
  emit(jump, left, right, Operand::jumpTarget(passed));
  emit(Op::JMP, Operand::jumpTarget(record.second));
  label(passed);
}

// Looks at the token after a comparison's right operand and takes it back.
int Parser::whatFollows() {
  TokenKind kind = next();
  int follows = kFollowsNothing;
  if (kind == TokenKind::CloseParen) {
    char c = lex_.peekChar();
    follows = c == '|' ? kFollowsOr : c == '&' ? kFollowsAnd : kFollowsNothing;
  } else if (isOperator(kOpLogicalOr)) {
    follows = kFollowsOr;
  } else if (isOperator(kOpLogicalAnd)) {
    follows = kFollowsAnd;
  }
  lex_.rewind();
  return follows;
}

bool Parser::nextIsComparison() {
  bool result = next() == TokenKind::Operator && comparisonJump(lex_.operatorIndex()).has_value();
  lex_.rewind();
  return result;
}

void Parser::valueComparison(Op jump) {
  emit(Op::POP, t1());
  emit(Op::POP, t0());
  std::int32_t holds = t_.nextLabel();
  std::int32_t done = t_.nextLabel();
  emit(jump, t0(), t1(), Operand::jumpTarget(holds));
  emit(Op::PUSH, Operand::integer(0));
  emit(Op::JMP, Operand::jumpTarget(done));
  label(holds);
  emit(Op::PUSH, Operand::integer(1));
  label(done);
}

// Both operands are always evaluated.
void Parser::valueLogic(bool isAnd) {
  emit(Op::POP, t1());
  emit(Op::POP, t0());
  std::int32_t decided = t_.nextLabel();
  std::int32_t done = t_.nextLabel();
  Op test = isAnd ? Op::JE : Op::JNE;
  emit(test, t0(), Operand::integer(0), Operand::jumpTarget(decided));
  emit(test, t1(), Operand::integer(0), Operand::jumpTarget(decided));
  emit(Op::PUSH, Operand::integer(isAnd ? 1 : 0));
  emit(Op::JMP, Operand::jumpTarget(done));
  label(decided);
  emit(Op::PUSH, Operand::integer(isAnd ? 0 : 1));
  label(done);
}

// Parses with the condition stack cleared, so comparisons give values.
void Parser::valueSubexpression(bool (Parser::*rule)()) {
  std::vector<JumpRecord> saved;
  saved.swap(s_.conditionStack);
  (this->*rule)();
  saved.swap(s_.conditionStack);
}

}  // namespace script
