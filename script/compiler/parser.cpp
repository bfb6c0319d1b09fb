// The script parser: statements, blocks, declarations and control flow.
#include "script/compiler/parser.h"

#include <algorithm>
#include <climits>

#include "script/runtime/number_text.h"
#include "script/compiler/optimiser.h"

namespace script {

namespace {

// Parameter lists are limited to 31 names of at most 63 characters each.
constexpr std::size_t kMaxParameters = 31;
constexpr std::size_t kMaxParameterName = 63;

// The instruction of an assignment operator, or nullopt.
std::optional<Op> assignmentOp(int index, bool allowConcat) {
  switch (index) {
    case kOpAssign: return Op::MOV;
    case kOpAddAssign: return Op::ADD;
    case kOpSubAssign: return Op::SUB;
    case kOpMulAssign: return Op::MUL;
    case kOpDivAssign: return Op::DIV;
    case kOpModAssign: return Op::MOD;
    case kOpExpAssign: return Op::EXP;
    case kOpAndAssign: return Op::AND;
    case kOpOrAssign: return Op::OR;
    case kOpXorAssign: return Op::XOR;
    case kOpShlAssign: return Op::SHL;
    case kOpShrAssign: return Op::SHR;
    case kOpConcat: return allowConcat ? std::optional<Op>(Op::CONCAT) : std::nullopt;
    default: return std::nullopt;
  }
}

}  // namespace

bool Parser::parse() {
  lex_.reset(&s_.lines);
  s_.success = true;
  s_.currentFunction = -1;
  parseStatement();
  while (next() != TokenKind::End) {
    lex_.rewind();
    parseStatement();
  }
  optimiseProgram(s_);
  return s_.success;
}

// statement -> ';' | identifier-statement | var | host | func | struct | '#' define
//            | if | while | for | break | continue | return | print | prefix-inc | block
void Parser::parseStatement() {
  Nesting nesting(*this);
  if (lex_.peekChar() == ';') {
    next();
    return;
  }
  switch (next()) {
    case TokenKind::Identifier: return parseIdentifierStatement();
    case TokenKind::Var: return parseVar();
    case TokenKind::Host: return parseHost();
    case TokenKind::Func: return parseFunc();
    case TokenKind::Struct: return parseStructDefinition();
    case TokenKind::Hash: return parseDefine();
    case TokenKind::If: return parseIf();
    case TokenKind::While: return parseWhile();
    case TokenKind::For: return parseFor();
    case TokenKind::Break: return parseBreakContinue(true);
    case TokenKind::Continue: return parseBreakContinue(false);
    case TokenKind::Return: return parseReturn();
    case TokenKind::Print: return parsePrint();
    case TokenKind::Operator: return parsePrefixIncrement();
    case TokenKind::OpenBrace: return parseBlock();
    case TokenKind::End: error("Unexpected end of file");
    default: error("Unexpected input");
  }
}

// Names resolve as variables, then structs, then functions.
void Parser::parseIdentifierStatement() {
  std::string name = lex_.textString();
  if (const SymbolRecord* symbol = visibleSymbol(name)) return parseAssignment(symbol->index);
  if (const StructRecord* record = t_.findStruct(name)) return parseStructVariable(*record);
  if (const FunctionRecord* function = t_.findFunction(name)) {
    std::int32_t index = function->index;
    note();
    call(index, false);
    expect(TokenKind::Semicolon, "; expected");
    return;
  }
  error("Invalid identifier");
}

// block -> '{' statement* '}'
void Parser::parseBlock() {
  if (s_.currentFunction < 0) error("Code blocks illegal in global scope");
  while (lex_.peekChar() != '}') parseStatement();
  expect(TokenKind::CloseBrace, "} expected");
}

// var -> 'var' identifier [ '[' integer ']' ] [ '=' additive ] ';'
void Parser::parseVar() {
  if (next() != TokenKind::Identifier) error("Identifier expected");
  std::string name = declaredName();
  std::int32_t size = 1;
  if (lex_.peekChar() == '[') {
    next();
    if (next() != TokenKind::Integer) error("Integer expected");
    size = checkedInteger(lex_.text());
    if (size < 1) error("Integer expected");
    expect(TokenKind::CloseBracket, "] expected");
  }
  std::int32_t index = declareSymbol(name, size, SymbolKind::Variable);
  if (lex_.peekChar() == '=') {
    if (next() == TokenKind::Operator && lex_.operatorIndex() == kOpAssign) {
      if (s_.currentFunction >= 0) {
        additive();
        emit(Op::POP, t0());
        emit(Op::MOV, Operand::variable(index), t0());
      } else {
        // A global's initialiser has no effect: no code exists outside functions.
        while (next() != TokenKind::Semicolon && lex_.kind() != TokenKind::End) {
        }
        lex_.rewind();
      }
    } else {
      lex_.rewind();
    }
  }
  expect(TokenKind::Semicolon, "; expected");
}

// host -> 'host' identifier '(' [ identifier { ',' identifier } ] ')' ';'
void Parser::parseHost() {
  if (next() != TokenKind::Identifier) error("Identifier expected");
  std::int32_t index = t_.addFunction(declaredName(), FunctionKind::Host);
  if (index < 0) error("HostAPI redefinition");
  expect(TokenKind::OpenParen, "( expected");
  std::int32_t count = 0;
  if (lex_.peekChar() != ')') {
    for (;;) {
      if (next() != TokenKind::Identifier) error("Identifier expected");
      ++count;
      if (lex_.peekChar() == ')') break;
      expect(TokenKind::Comma, ", expected");
    }
  }
  expect(TokenKind::CloseParen, ") expected");
  t_.setParameterCount(index, count);
  expect(TokenKind::Semicolon, "; expected");
}

// func -> 'func' identifier '(' [ identifier { ',' identifier } ] ')' block
void Parser::parseFunc() {
  if (s_.currentFunction >= 0) error("Nested functions illegal");
  if (next() != TokenKind::Identifier) error("Identifier expected");
  std::string name = declaredName();
  std::int32_t index = t_.addFunction(name, FunctionKind::Script);
  if (index < 0) error("Function redefinition");
  bool isMain = equalsIgnoreAsciiCase(name, "_MAIN");
  if (isMain) {
    s_.hasMain = true;
    s_.mainIndex = index;
  }
  s_.currentFunction = index;
  expect(TokenKind::OpenParen, "( expected");
  parseFuncParameters(index, isMain);
  expect(TokenKind::CloseParen, ") expected");
  expect(TokenKind::OpenBrace, "{ expected");
  parseBlock();
  s_.currentFunction = -1;
}

// A global may not take a name that a local already has: the listing puts
// globals first, and the assembler would bind the local's uses to the global.
std::int32_t Parser::declareSymbol(std::string_view name, std::int32_t size, SymbolKind kind) {
  if (s_.currentFunction < 0 && t_.nameUsed(name)) error("Identifier redefinition");
  std::int32_t index = t_.addSymbol(name, size, s_.currentFunction, kind);
  if (index < 0) error("Identifier redefinition");
  return index;
}

std::string Parser::declaredName() {
  if (isListingWord(lex_.text())) error("Reserved identifier: " + lex_.textString());
  return lex_.textString();
}

// Parameters are listed last-first, each one even when a global of that name
// hides it, so callers and the frame agree on the count.
void Parser::parseFuncParameters(std::int32_t function, bool isMain) {
  if (lex_.peekChar() == ')') return;
  if (isMain) error("_Main () cannot accept parameters");
  std::vector<std::string> names;
  for (;;) {
    if (next() != TokenKind::Identifier) error("Identifier expected");
    if (names.size() >= kMaxParameters) error("Too many parameters");
    if (lex_.text().size() > kMaxParameterName) error("Identifier expected");
    for (const std::string& earlier : names) {
      if (equalsIgnoreAsciiCase(earlier, lex_.text())) error("Identifier redefinition");
    }
    names.push_back(declaredName());
    if (lex_.peekChar() == ')') break;
    expect(TokenKind::Comma, ", expected");
  }
  t_.setParameterCount(function, std::int32_t(names.size()));
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    t_.appendSymbol(*it, 1, function, SymbolKind::Parameter);
  }
}

// if -> 'if' '(' condition ')' statement [ 'else' statement ]
void Parser::parseIf() {
  if (s_.currentFunction < 0) error("if illegal in global scope");
  note();
  std::int32_t falseLabel = t_.nextLabel();
  std::int32_t trueLabel = t_.nextLabel();
  s_.conditionStack.push_back({trueLabel, falseLabel, 0});
  expect(TokenKind::OpenParen, "( expected");
  condition();
  expect(TokenKind::CloseParen, ") expected");
  s_.conditionStack.pop_back();
  label(trueLabel);
  parseStatement();
  if (next() == TokenKind::Else) {
    std::int32_t endLabel = t_.nextLabel();
    emit(Op::JMP, Operand::jumpTarget(endLabel));
    label(falseLabel);
    parseStatement();
    label(endLabel);
  } else {
    lex_.rewind();
    label(falseLabel);
  }
}

// The loop condition's "holds" label is the body start, made only when a
// comparison before "||" needs it, so that the body runs.
void Parser::loopCondition(std::int32_t endLabel) {
  s_.conditionStack.push_back({kLazyLabel, endLabel, 1});
  condition();
  JumpRecord record = s_.conditionStack.back();
  s_.conditionStack.pop_back();
  if (record.first != kLazyLabel) label(record.first);
}

// while -> 'while' '(' condition ')' statement
void Parser::parseWhile() {
  if (s_.currentFunction < 0) error("Statement illegal in global scope");
  note();
  std::int32_t start = t_.nextLabel();
  std::int32_t end = t_.nextLabel();
  label(start);
  s_.blockStack.push_back({start, end, 1});
  expect(TokenKind::OpenParen, "( expected");
  loopCondition(end);
  expect(TokenKind::CloseParen, ") expected");
  parseStatement();
  s_.blockStack.pop_back();
  emit(Op::JMP, Operand::jumpTarget(start));
  label(end);
}

// for -> 'for' '(' target '=' expression ';' condition ';' step ')' statement
// The step's code is moved after the body, so break, continue and return in
// the body leave nothing on the stack.
void Parser::parseFor() {
  if (s_.currentFunction < 0) error("for illegal in global scope");
  note();
  expect(TokenKind::OpenParen, "( expected");
  if (next() != TokenKind::Identifier) error("Identifier expected");
  std::string variable = lex_.textString();
  const SymbolRecord* symbol = visibleSymbol(variable);
  if (!symbol) error("undefined variable");
  std::int32_t index = symbol->index;
  bool indexed = parseTargetIndex(index, "Invalid array", "Invalid array index", "Array must be indexed");
  if (next() != TokenKind::Operator || lex_.operatorIndex() != kOpAssign) error("= expected");
  expression();
  expect(TokenKind::Semicolon, "; expected");
  emit(Op::POP, t0());
  if (indexed) emit(Op::POP, t1());
  emit(Op::MOV, cellOf(index, indexed, t1()), t0());

  std::int32_t start = t_.nextLabel();
  std::int32_t end = t_.nextLabel();
  label(start);
  s_.blockStack.push_back({start, end, 2});
  loopCondition(end);
  expect(TokenKind::Semicolon, "; expected");
  // The code list is looked up again after the body: a declaration in the
  // body may grow the function table and move every list.
  std::size_t stepBegin = currentCode()->size();
  parseForStep(variable);
  ICodeList* code = currentCode();
  ICodeList step(std::make_move_iterator(code->begin() + std::ptrdiff_t(stepBegin)),
                 std::make_move_iterator(code->end()));
  code->resize(stepBegin);
  expect(TokenKind::CloseParen, ") expected");
  parseStatement();
  code = currentCode();
  code->insert(code->end(), std::make_move_iterator(step.begin()), std::make_move_iterator(step.end()));
  s_.blockStack.pop_back();
  emit(Op::JMP, Operand::jumpTarget(start));
  label(end);
}

// step -> ( '++' | '--' ) target | target assignment-operator expression
void Parser::parseForStep(const std::string& variable) {
  std::optional<Op> op;
  bool prefix = next() == TokenKind::Operator;
  if (prefix) {
    if (isOperator(kOpIncrement)) op = Op::INC;
    else if (isOperator(kOpDecrement)) op = Op::DEC;
    else error("Illegal assignment operator in \"for\" loop");
    next();
  }
  // Whatever does not spell the loop's variable, a missing step included.
  if (lex_.kind() != TokenKind::Identifier || lex_.text() != variable) error("Different \"for\" variable");
  std::int32_t index = visibleSymbol(variable)->index;
  bool indexed = parseTargetIndex(index, "Invalid array", "Invalid array index", "Array must be indexed");
  if (prefix) {
    if (indexed) emit(Op::POP, t0());
    emit(*op, cellOf(index, indexed, t0()));
    return;
  }
  if (next() != TokenKind::Operator || !(op = assignmentOp(lex_.operatorIndex(), false)))
    error("Illegal assignment operator in \"for\" loop");
  expression();
  emit(Op::POP, t0());
  if (indexed) emit(Op::POP, t1());
  emit(*op, cellOf(index, indexed, t1()), t0());
}

// break -> 'break' ';'   continue -> 'continue' ';'
void Parser::parseBreakContinue(bool isBreak) {
  if (s_.blockStack.empty())
    error(isBreak ? "break illegal outside loops" : "continue illegal outside loops");
  note();
  expect(TokenKind::Semicolon, "; expected");
  const JumpRecord& loop = s_.blockStack.back();
  emit(Op::JMP, Operand::jumpTarget(isBreak ? loop.second : loop.first));
}

// return -> 'return' [ expression ] ';'
void Parser::parseReturn() {
  if (s_.currentFunction < 0) error("return illegal in global scope");
  note();
  bool isMain = s_.hasMain && s_.currentFunction == s_.mainIndex;
  if (lex_.peekChar() != ';') {
    expression();
    emit(Op::POP, isMain ? t0() : Operand::retVal());
  } else if (isMain) {
    emit(Op::MOV, t0(), Operand::integer(0));
  }
  if (isMain) emit(Op::EXIT, t0());
  else emit(Op::RET);
  expect(TokenKind::Semicolon, "; expected");
}

// assignment -> target ( '++' | '--' ) ';' | target assignment-operator expression ';'
void Parser::parseAssignment(std::int32_t symbol) {
  if (s_.currentFunction < 0) error("Assignment illegal in global scope");
  note();
  bool indexed = parseTargetIndex(symbol, "Invalid Array", "Invalid Expression", "Array must be indexed");
  TokenKind kind = next();
  if (isOperator(kOpIncrement) || isOperator(kOpDecrement)) {
    if (indexed) emit(Op::POP, t0());
    emit(isOperator(kOpIncrement) ? Op::INC : Op::DEC, cellOf(symbol, indexed, t0()));
    expect(TokenKind::Semicolon, "; expected");
    return;
  }
  if (kind == TokenKind::Semicolon) error("; unexpected");
  std::optional<Op> op;
  if (kind != TokenKind::Operator || !(op = assignmentOp(lex_.operatorIndex(), true)))
    error("Illegal assignment operator");
  expression();
  expect(TokenKind::Semicolon, "; expected");
  emit(Op::POP, t0());
  if (indexed) emit(Op::POP, t1());
  emit(*op, cellOf(symbol, indexed, t1()), t0());
}

// prefix-inc -> ( '++' | '--' ) identifier ';'
void Parser::parsePrefixIncrement() {
  note();
  if (!isOperator(kOpIncrement) && !isOperator(kOpDecrement)) error("Invalid Forward Operator");
  Op op = isOperator(kOpIncrement) ? Op::INC : Op::DEC;
  if (next() != TokenKind::Identifier) error("Identifier expected");
  const SymbolRecord* symbol = visibleSymbol(lex_.text());
  if (!symbol) error("Undefined variable");
  emit(op, Operand::variable(symbol->index));
  expect(TokenKind::Semicolon, "; expected");
}

// target-index -> '.' member-path | '[' expression ']' ; pushes the cell
// offset and returns true when present.
bool Parser::parseTargetIndex(std::int32_t symbol, const char* arrayMessage, const char* emptyMessage,
                              const char* unindexedMessage, const char* dotMessage) {
  const SymbolRecord record = *t_.symbolAt(symbol);
  char c = lex_.peekChar();
  if (c == '.') {
    if (record.kind != SymbolKind::StructVariable) error(dotMessage);
    parseMemberPath(record);
    return true;
  }
  if (c == '[') {
    if (record.size <= 1) error(arrayMessage);
    next();
    if (lex_.peekChar() == ']') error(emptyMessage);
    valueSubexpression(&Parser::expression);
    expect(TokenKind::CloseBracket, "] expected");
    return true;
  }
  if (record.size > 1) error(unindexedMessage);
  return false;
}

// A one-cell struct variable is its own plain cell, so member access assembles.
Operand Parser::cellOf(std::int32_t symbol, bool indexed, const Operand& indexTemp) const {
  if (!indexed || t_.symbolAt(symbol)->size <= 1) return Operand::variable(symbol);
  return Operand::elementVar(symbol, indexTemp.value);
}

ICodeList* Parser::currentCode() {
  FunctionRecord* function = t_.functionAt(s_.currentFunction);
  return function ? &function->code : nullptr;
}

std::int32_t Parser::emit(Op op) { return t_.addInstruction(s_.currentFunction, op); }

std::int32_t Parser::emit(Op op, const Operand& a) {
  std::int32_t node = emit(op);
  t_.addOperand(s_.currentFunction, node, a);
  return node;
}

std::int32_t Parser::emit(Op op, const Operand& a, const Operand& b) {
  std::int32_t node = emit(op, a);
  t_.addOperand(s_.currentFunction, node, b);
  return node;
}

std::int32_t Parser::emit(Op op, const Operand& a, const Operand& b, const Operand& c) {
  std::int32_t node = emit(op, a, b);
  t_.addOperand(s_.currentFunction, node, c);
  return node;
}

void Parser::note() {
  if (s_.currentFunction < 0) return;  // code outside functions is dropped
  if (lex_.lineIndex() != noteLine_ || !noteText_) {
    noteLine_ = lex_.lineIndex();
    noteText_ = std::make_shared<const std::string>(lex_.currentLine());
  }
  t_.addNote(s_.currentFunction, noteText_);
}

void Parser::label(std::int32_t number) { t_.addLabel(s_.currentFunction, number); }

void Parser::expect(TokenKind kind, const char* message) {
  if (next() != kind) error(message);
}

// Decimal digits of an integer token; a value beyond 32 bits is refused.
std::int32_t Parser::checkedInteger(std::string_view text) {
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = value * 10 + (c - '0');
    if (value > INT32_MAX) error("Integer expected");
  }
  return std::int32_t(value);
}

void Parser::error(const std::string& message) { failAtToken(s_, message); }

void failAtToken(xCompilerState& state, const std::string& message) {
  state.success = false;
  const xScriptLexer& lexer = state.lexer;
  CompileDiagnostic d;
  d.kind = DiagnosticKind::Parser;
  d.message = message;
  d.line = lexer.lineIndex();
  d.column = lexer.startColumn();
  d.token = lexer.textString();
  d.lineText = lexer.currentLineView().substr(0, kMaxQuotedLine);
  // "; expected" is found at the next token, often on a later line; the author
  // looks for it after the token before.
  constexpr std::string_view kExpected = " expected";
  bool missing = message.size() > kExpected.size() && message.ends_with(kExpected);
  locate(state, missing ? lexer.previousTokenLine() : d.line, d);
  throw ParseError(std::move(d));
}

}  // namespace script
