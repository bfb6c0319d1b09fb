// The script lexer: a character-level state machine over the glued source lines.
#include "script/compiler/lexer.h"

#include <array>
#include <cstring>
#include <iterator>

#include "script/runtime/number_text.h"

using script::TokenKind;

namespace {

// One entry of an operator table: a character, where its continuations start
// in the next table and how many there are, and the operator it forms.
struct OpEntry {
  char c;
  int first;
  int count;
  int index;
};

// First characters of operators.
constexpr OpEntry kOpTable0[] = {
    {'+', 0, 2, 0},  {'-', 2, 2, 1},  {'*', 4, 1, 2},  {'/', 5, 1, 3},  {'%', 6, 1, 4},
    {'^', 7, 1, 5},  {'&', 8, 2, 6},  {'|', 10, 2, 7}, {'#', 12, 1, 8}, {'~', 0, 0, 9},
    {'!', 13, 1, 10}, {'=', 14, 1, 11}, {'<', 15, 2, 12}, {'>', 17, 2, 13}, {'$', 0, 0, 35},
};
// Second characters; each run is the continuations of one first character.
constexpr OpEntry kOpTable1[] = {
    {'=', 0, 0, 14}, {'+', 0, 0, 15}, {'=', 0, 0, 16}, {'-', 0, 0, 17}, {'=', 0, 0, 18},
    {'=', 0, 0, 19}, {'=', 0, 0, 20}, {'=', 0, 0, 21}, {'=', 0, 0, 22}, {'&', 0, 0, 23},
    {'=', 0, 0, 24}, {'|', 0, 0, 25}, {'=', 0, 0, 26}, {'=', 0, 0, 27}, {'=', 0, 0, 28},
    {'=', 0, 0, 29}, {'<', 0, 1, 30}, {'=', 0, 0, 31}, {'>', 1, 1, 32},
};
// Third characters: "<<=" and ">>=".
constexpr OpEntry kOpTable2[] = {{'=', 0, 0, 33}, {'=', 0, 0, 34}};

struct OpTable {
  const OpEntry* entries;
  int size;
};
constexpr std::array<OpTable, 3> kOpTables = {{{kOpTable0, int(std::size(kOpTable0))},
                                               {kOpTable1, int(std::size(kOpTable1))},
                                               {kOpTable2, int(std::size(kOpTable2))}}};

constexpr std::string_view kKeywords[] = {"var",      "true", "false", "if",     "else",
                                     "break",    "continue", "for", "while", "func",
                                     "return",   "host", "print", "define", "include",
                                     "struct"};
constexpr TokenKind kKeywordKinds[] = {
    TokenKind::Var,      TokenKind::True,   TokenKind::False,  TokenKind::If,
    TokenKind::Else,     TokenKind::Break,  TokenKind::Continue, TokenKind::For,
    TokenKind::While,    TokenKind::Func,   TokenKind::Return, TokenKind::Host,
    TokenKind::Print,    TokenKind::Define, TokenKind::Include, TokenKind::Struct};
static_assert(std::size(kKeywords) == std::size(kKeywordKinds));

bool isBlank(int c) { return c == ' ' || c == '\t' || c == '\n'; }
bool isDigit(int c) { return c >= '0' && c <= '9'; }
bool isDelimiter(int c) { return c > 0 && std::strchr(",()[];{}#.", c) != nullptr; }

// The entry of [c] in [table], or -1.
int findOperatorEntry(const OpTable& table, int c) {
  for (int i = 0; i < table.size; ++i) {
    if (table.entries[i].c == c) return i;
  }
  return -1;
}

// What ends a number or an identifier cleanly.
bool endsWord(int c) { return c < 0 || isBlank(c) || isDelimiter(c) || findOperatorEntry(kOpTables[0], c) >= 0; }

TokenKind delimiterKind(char c) {
  switch (c) {
    case ',': return TokenKind::Comma;
    case '(': return TokenKind::OpenParen;
    case ')': return TokenKind::CloseParen;
    case '[': return TokenKind::OpenBracket;
    case ']': return TokenKind::CloseBracket;
    case '{': return TokenKind::OpenBrace;
    case '}': return TokenKind::CloseBrace;
    case ';': return TokenKind::Semicolon;
    case '#': return TokenKind::Hash;
    default: return TokenKind::Dot;
  }
}

}  // namespace

void xScriptLexer::reset(const std::vector<std::string>* lines) {
  lines_ = lines;
  cur_ = State{};
  saved_ = State{};
  lastReadWasChar_ = false;
  reportedLine_ = -1;
  reportedPos_ = 0;
}

int xScriptLexer::readChar() {
  lastReadWasChar_ = false;
  if (!lines_) return -1;
  // At the end of input the lexer stays on the last line, so messages name it.
  while (std::size_t(cur_.line) < lines_->size()) {
    const std::string& line = (*lines_)[cur_.line];
    if (cur_.pos < line.size()) {
      lastReadWasChar_ = true;
      return static_cast<unsigned char>(line[cur_.pos++]);
    }
    if (std::size_t(cur_.line) + 1 >= lines_->size()) break;
    ++cur_.line;
    cur_.pos = 0;
    cur_.startColumn = 0;
  }
  return -1;
}

void xScriptLexer::unreadChar() {
  if (lastReadWasChar_ && cur_.pos > 0) --cur_.pos;
  lastReadWasChar_ = false;
}

void xScriptLexer::append(char c) {
  if (cur_.textLength >= script::kTokenBufferSize - 1) {
    if (!overflowReported_) error(c);
    overflowReported_ = true;
    return;
  }
  cur_.text[cur_.textLength++] = c;
  cur_.text[cur_.textLength] = '\0';
}

// A token read again after rewind() does not report its errors twice.
void xScriptLexer::error(char c) {
  if (cur_.line < reportedLine_ || (cur_.line == reportedLine_ && cur_.pos <= reportedPos_)) return;
  reportedLine_ = cur_.line;
  reportedPos_ = cur_.pos;
  if (onError_) onError_(c, cur_.line, currentLineView());
}

void xScriptLexer::copyState(State& to, const State& from) {
  to.line = from.line;
  to.pos = from.pos;
  to.kind = from.kind;
  to.textLength = from.textLength;
  std::memcpy(to.text, from.text, std::size_t(from.textLength) + 1);
  to.startColumn = from.startColumn;
  to.opIndex = from.opIndex;
}

void xScriptLexer::rewind() { copyState(cur_, saved_); }

std::string_view xScriptLexer::currentLineView() const {
  if (!lines_ || std::size_t(cur_.line) >= lines_->size()) return {};
  return (*lines_)[cur_.line];
}

char xScriptLexer::peekChar() const {
  if (!lines_) return 0;
  std::size_t pos = cur_.pos;
  for (std::size_t line = std::size_t(cur_.line); line < lines_->size(); ++line, pos = 0) {
    const std::string& text = (*lines_)[line];
    for (; pos < text.size(); ++pos) {
      if (!isBlank(text[pos])) return text[pos];
    }
  }
  return 0;
}

TokenKind xScriptLexer::nextToken() {
  copyState(saved_, cur_);
  cur_.textLength = 0;
  cur_.text[0] = '\0';
  overflowReported_ = false;
  int c = readChar();
  while (c >= 0 && isBlank(c)) c = readChar();
  cur_.startColumn = cur_.pos > 0 ? int(cur_.pos) - 1 : 0;
  if (c < 0) return cur_.kind = TokenKind::End;
  char ch = char(c);
  if (isDigit(c)) return cur_.kind = lexNumber(ch);
  if (script::isIdentChar(ch)) return cur_.kind = lexIdentifier(ch);
  if (isDelimiter(c)) {
    append(ch);
    if (ch == '#' && cur_.startColumn != 0) error(ch);
    return cur_.kind = delimiterKind(ch);
  }
  if (findOperatorEntry(kOpTables[0], c) >= 0) return cur_.kind = lexOperator(ch);
  if (ch == '"') return cur_.kind = lexString();
  // Anything else is kept as an error token and reading goes on with it.
  append(ch);
  error(ch);
  return cur_.kind = lexIdentifier('\0');
}

// integer -> digit+ ; float -> digit+ '.' digit*
TokenKind xScriptLexer::lexNumber(char first) {
  append(first);
  TokenKind kind = TokenKind::Integer;
  for (;;) {
    int c = readChar();
    if (isDigit(c)) {
      append(char(c));
    } else if (c == '.' && kind == TokenKind::Integer) {
      kind = TokenKind::Float;
      append('.');
    } else if (endsWord(c)) {
      unreadChar();
      return kind;
    } else {
      append(char(c));
      error(char(c));
    }
  }
}

// identifier -> identchar+ ; keywords match without regard to case.
// A zero [first] continues a token whose first character was already kept.
TokenKind xScriptLexer::lexIdentifier(char first) {
  if (first) append(first);
  for (;;) {
    int c = readChar();
    if (script::isIdentChar(char(c))) {
      append(char(c));
    } else if (endsWord(c)) {
      unreadChar();
      break;
    } else {
      append(char(c));
      error(char(c));
    }
  }
  for (std::size_t i = 0; i < std::size(kKeywords); ++i) {
    if (script::equalsIgnoreAsciiCase(text(), kKeywords[i])) return kKeywordKinds[i];
  }
  return TokenKind::Identifier;
}

// A character that is in the next table but continues no entry ends the
// operator before it, with an error, and starts the next token.
TokenKind xScriptLexer::lexOperator(char first) {
  append(first);
  std::size_t table = 0;
  OpEntry entry = kOpTables[0].entries[findOperatorEntry(kOpTables[0], first)];
  while (entry.count > 0 && table + 1 < kOpTables.size()) {
    int c = readChar();
    const OpTable& next = kOpTables[table + 1];
    if (c < 0 || findOperatorEntry(next, c) < 0) {
      unreadChar();
      break;
    }
    int found = -1;
    for (int i = entry.first; i < entry.first + entry.count && i < next.size; ++i) {
      if (next.entries[i].c == c) found = i;
    }
    if (found < 0) {
      error(char(c));
      unreadChar();
      break;
    }
    append(char(c));
    entry = next.entries[found];
    ++table;
  }
  cur_.opIndex = entry.index;
  return TokenKind::Operator;
}

// string -> '"' (char | '\' char)* '"' ; the quotes are not kept.
TokenKind xScriptLexer::lexString() {
  for (;;) {
    int c = readChar();
    if (c < 0) return TokenKind::End;
    if (c == '"') return TokenKind::String;
    append(char(c));
    if (c == '\\') {
      int escaped = readChar();
      if (escaped < 0) return TokenKind::End;
      append(char(escaped));
    }
  }
}
