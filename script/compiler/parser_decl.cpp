// The script parser: #define, structs and member paths, and print.
#include "script/compiler/parser.h"

#include <climits>

#include "script/runtime/number_text.h"

namespace script {

namespace {

// A substitution never makes a line longer than this: string values can hold
// the names of other defines, so each define could multiply the text.
constexpr std::size_t kMaxSubstitutedLine = 64 * 1024;

}  // namespace

// define -> '#' 'define' identifier ( string | integer | float | identifier ) ';'
void Parser::parseDefine() {
  if (next() != TokenKind::Define) error("# unexpected");
  if (next() != TokenKind::Identifier) error("Ident expected");
  std::string name = lex_.textString();
  if (t_.hasDefine(name)) error("Dupilate define symbol");
  TokenKind kind = next();
  if (kind != TokenKind::String && kind != TokenKind::Integer && kind != TokenKind::Float &&
      kind != TokenKind::Identifier)
    error("Invalid define type");
  // A string keeps its quotes, so the name stands for the string constant.
  std::string value = lex_.textString();
  if (kind == TokenKind::String) value.insert(0, 1, '"').push_back('"');
  t_.addDefine(name, std::int32_t(kind), value);
  substituteDefine(name, value);
  expect(TokenKind::Semicolon, "; expected");
}

// Replaces every whole-word [name] in the lines that hold no "#define",
// including lines already parsed. The search resumes after each inserted
// text, so a value that contains the name cannot loop, and a line stops
// growing at kMaxSubstitutedLine.
void Parser::substituteDefine(const std::string& name, const std::string& value) {
  noteText_.reset();  // the lines change under the notes made so far
  for (std::string& line : s_.lines) {
    if (line.find("#define") != std::string::npos) continue;
    std::size_t pos = 0;
    while ((pos = line.find(name, pos)) != std::string::npos) {
      std::size_t after = pos + name.size();
      bool whole = (pos == 0 || !isIdentChar(line[pos - 1])) &&
                   (after >= line.size() || !isIdentChar(line[after]));
      if (!whole) {
        ++pos;
        continue;
      }
      if (line.size() - name.size() + value.size() > kMaxSubstitutedLine) break;
      line.replace(pos, name.size(), value);
      pos += value.size();
    }
  }
}

// struct-def -> 'struct' identifier '{' { 'var' identifier [ '[' integer ']' ] ';'
//                                        | struct-name identifier ';' } '}'
void Parser::parseStructDefinition() {
  if (next() != TokenKind::Identifier) error("Identifier expected");
  std::int32_t index = t_.addStruct(declaredName());
  if (index < 0) error("Duplicate struct definition");
  expect(TokenKind::OpenBrace, "{ expected");
  std::int64_t totalSize = 0;
  for (;;) {
    TokenKind kind = next();
    if (kind == TokenKind::CloseBrace) return;
    std::string typeName;
    if (kind == TokenKind::Identifier) {
      if (!t_.findStruct(lex_.text())) error("Undefined symbol");
      typeName = lex_.textString();
    } else if (kind == TokenKind::End) {
      error("} expected");
    } else if (kind != TokenKind::Var) {
      error("Invalid token type");
    }
    if (next() != TokenKind::Identifier) error("Identifier expected");
    std::string member = declaredName();
    std::int32_t size = 1;
    if (typeName.empty() && lex_.peekChar() == '[') {
      next();
      if (next() != TokenKind::Integer) error("Integer expected");
      size = checkedInteger(lex_.text());
      if (size < 1) error("Integer expected");
      expect(TokenKind::CloseBracket, "] expected");
    }
    // A struct's cells are counted in 32 bits, like any other size.
    totalSize += typeName.empty() ? size : t_.findStruct(typeName)->totalSize;
    if (totalSize > INT32_MAX) error("Integer expected");
    t_.addMember(index, member, size, typeName);
    expect(TokenKind::Semicolon, "; expected");
  }
}

// struct-var -> struct-name identifier ';'
void Parser::parseStructVariable(const StructRecord& record) {
  std::string typeName = record.name;
  std::int32_t size = record.totalSize;
  if (next() != TokenKind::Identifier) error("Identifier expected");
  std::int32_t index = declareSymbol(declaredName(), size, SymbolKind::StructVariable);
  t_.symbolAt(index)->structType = typeName;
  expect(TokenKind::Semicolon, "; expected");
}

// member-path -> '.' identifier { '.' identifier } [ '[' expression ']' ]
// Pushes the element's cell offset within the variable.
void Parser::parseMemberPath(const SymbolRecord& symbol) {
  const StructRecord* record = t_.findStruct(symbol.structType);
  if (!record) error("Undefined struct");
  std::string path;
  while (lex_.peekChar() == '.') {
    next();
    if (next() != TokenKind::Identifier) error("Identifier expected");
    if (!path.empty()) path += '.';
    path += lex_.text();
  }
  std::optional<StructMember> member = t_.findMember(*record, path);
  if (!member) error("Undefined struct element");
  std::int32_t offset = member->offset;
  std::int32_t size = member->size;
  if (lex_.peekChar() == '[') {
    if (size <= 1) error("Invalid array");
    next();
    if (lex_.peekChar() == ']') error("Invalid expression");
    valueSubexpression(&Parser::expression);
    expect(TokenKind::CloseBracket, "] expected");
    emit(Op::POP, t0());
    emit(Op::ADD, t0(), Operand::integer(offset));
    emit(Op::PUSH, t0());
    return;
  }
  if (size > 1) error("Arrays must be indexed");
  emit(Op::PUSH, Operand::integer(offset));
}

// print -> 'print' '(' ( integer | float | variable | format-string { ',' argument } ) ')' ';'
void Parser::parsePrint() {
  if (s_.currentFunction < 0) error("Print illegal in global scope");
  note();
  expect(TokenKind::OpenParen, "( expected");
  switch (next()) {
    case TokenKind::Integer:
      emit(Op::PRINT, Operand::integer(checkedInteger(lex_.text())));
      break;
    case TokenKind::Float:
      emit(Op::PRINT, Operand::floating(textToFloat(lex_.text())));
      break;
    case TokenKind::Identifier:
      // A name that is no variable is not a value print takes.
      if (!visibleSymbol(lex_.text())) error("Invalid print value");
      parsePrintVariable();
      break;
    case TokenKind::String:
      parsePrintFormat(lex_.textString());
      break;
    default:
      error("Invalid print value");
  }
  expect(TokenKind::CloseParen, ") expected");
  expect(TokenKind::Semicolon, "; expected");
}

// The current identifier token names the variable to print.
void Parser::parsePrintVariable() {
  const SymbolRecord* symbol = visibleSymbol(lex_.text());
  if (!symbol) error("Undefined variable");
  emit(Op::PRINT, parseVariableCell(*symbol, "Undefined struct"));
}

// The cell a variable name with an optional member path or index names; an
// element's offset is left in _T0.
Operand Parser::parseVariableCell(const SymbolRecord& symbol, const char* dotMessage) {
  std::int32_t index = symbol.index;
  bool indexed =
      parseTargetIndex(index, "Invalid array", "Invalid expression", "Arrays must be indexed", dotMessage);
  if (indexed) emit(Op::POP, t0());
  return cellOf(index, indexed, t0());
}

// "%i", "%f" and "%s" each take the next argument: a number is written into
// the text, a variable is printed on its own after the text before it.
// Empty texts are not printed (an empty string constant would assemble as
// the integer 0).
void Parser::parsePrintFormat(const std::string& format) {
  std::string text;
  std::size_t segment = 0;
  auto flush = [&] {
    if (!text.empty()) emit(Op::PRINT, Operand::string(t_.addString(text)));
    text.clear();
  };
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') continue;
    char conversion = i + 1 < format.size() ? format[i + 1] : '\0';
    if (conversion != 'f' && conversion != 'i' && conversion != 's')
      error("Invalid escape sequence type");
    text += format.substr(segment, i - segment);
    expect(TokenKind::Comma, ", expected");
    TokenKind kind = next();
    if (kind == TokenKind::Integer || kind == TokenKind::Float) {
      text += lex_.text();
    } else if (kind == TokenKind::Identifier) {
      flush();
      parsePrintVariable();
    } else {
      error("Invalid print type");
    }
    segment = i + 2;
    ++i;
  }
  text += format.substr(segment);
  flush();
}

}  // namespace script
