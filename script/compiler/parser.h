// The script parser: one recursive-descent pass that emits intermediate code through the tables.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "script/compiler/compiler_state.h"

namespace script {

// Parses the state's source lines into the function table's I-code. Errors
// are thrown as ParseError; lexer errors go to the lexer's handler.
class Parser {
 public:
  explicit Parser(xCompilerState& state) : s_(state), t_(state.tables), lex_(state.lexer) {}

  // program -> statement+ ; runs the optimiser on every function at the end.
  // Returns the success flag.
  bool parse();

 private:
  // A condition record's first label that is made only when needed.
  static constexpr std::int32_t kLazyLabel = -1;
  // Nesting deeper than this is refused before it exhausts the native stack.
  static constexpr int kMaxNesting = 500;

  // One level of statement or expression nesting for its scope.
  class Nesting {
   public:
    explicit Nesting(Parser& parser) : parser_(parser) {
      if (++parser_.nesting_ > kMaxNesting) parser_.error("Nesting too deep");
    }
    ~Nesting() { --parser_.nesting_; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;

   private:
    Parser& parser_;
  };

  // parser.cpp: statements
  void parseStatement();
  void parseIdentifierStatement();
  void parseBlock();
  void parseVar();
  void parseHost();
  void parseFunc();
  void parseFuncParameters(std::int32_t function, bool isMain);
  std::int32_t declareSymbol(std::string_view name, std::int32_t size, SymbolKind kind);
  // The identifier just read, refused when the listing would read it as a
  // keyword or a mnemonic.
  std::string declaredName();
  void parseIf();
  void loopCondition(std::int32_t endLabel);
  void parseWhile();
  void parseFor();
  void parseForStep(const std::string& variable);
  void parseBreakContinue(bool isBreak);
  void parseReturn();
  void parseAssignment(std::int32_t symbol);
  void parsePrefixIncrement();
  // [dotMessage]: a '.' after a variable that is no struct variable.
  bool parseTargetIndex(std::int32_t symbol, const char* arrayMessage, const char* emptyMessage,
                        const char* unindexedMessage, const char* dotMessage = "Undefined struct");

  // parser_decl.cpp: defines, structs, print
  void parseDefine();
  void substituteDefine(const std::string& name, const std::string& value);
  void parseStructDefinition();
  void parseStructVariable(const StructRecord& record);
  void parseMemberPath(const SymbolRecord& symbol);
  Operand parseVariableCell(const SymbolRecord& symbol, const char* dotMessage = "Invalid '.' operator");
  void parsePrint();
  void parsePrintFormat(const std::string& format);
  void parsePrintVariable();

  // parser_expr.cpp: expressions, conditions, calls
  bool expression();
  bool binaryLevel(bool (Parser::*operand)(), std::optional<Op> (*opOf)(int));
  bool additive();
  bool term();
  bool factor();
  bool primary();
  int postfixStep();
  void identifierFactor();
  void call(std::int32_t function, bool inExpression);
  void callArguments(FunctionKind kind, std::int32_t parameterCount);
  void condition();
  void conditionJump(Op jump, const Operand& left, const Operand& right, int follows);
  int whatFollows();
  bool nextIsComparison();
  void valueComparison(Op jump);
  void valueLogic(bool isAnd);
  void testPendingValue(int follows);
  void valueSubexpression(bool (Parser::*rule)());
  bool inCondition() const { return !s_.conditionStack.empty(); }

  // Emission; code outside a function is dropped.
  std::int32_t emit(Op op);
  std::int32_t emit(Op op, const Operand& a);
  std::int32_t emit(Op op, const Operand& a, const Operand& b);
  std::int32_t emit(Op op, const Operand& a, const Operand& b, const Operand& c);
  void note();
  Operand cellOf(std::int32_t symbol, bool indexed, const Operand& indexTemp) const;
  ICodeList* currentCode();
  void label(std::int32_t number);
  Operand t0() const { return Operand::variable(s_.temp0); }
  Operand t1() const { return Operand::variable(s_.temp1); }
  Operand t2() const { return Operand::variable(s_.temp2); }

  // Tokens.
  TokenKind next() { return lex_.nextToken(); }
  void expect(TokenKind kind, const char* message);
  bool isOperator(int index) const {
    return lex_.kind() == TokenKind::Operator && lex_.operatorIndex() == index;
  }
  const SymbolRecord* visibleSymbol(std::string_view name) const {
    return t_.findSymbol(name, s_.currentFunction);
  }
  std::int32_t checkedInteger(std::string_view text);
  [[noreturn]] void error(const std::string& message);

  xCompilerState& s_;
  CompilerTables& t_;
  xScriptLexer& lex_;
  int nesting_ = 0;
  // The text of the line of the last note, shared by every note made on that
  // line until a define rewrites the lines: a long line is held once, not
  // once per statement.
  int noteLine_ = -1;
  std::shared_ptr<const std::string> noteText_;
};

}  // namespace script
