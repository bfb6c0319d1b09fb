// The script lexer: a character-level state machine over the glued source lines.
#include "script/compiler/lexer.h"

#include <array>
#include <cstdint>
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

// Character classes of the source bytes, one lookup per byte.
enum CharClass : std::uint8_t {
  kOther = 0,
  kBlank = 1,      // ' ', '\t', '\n'
  kDigit = 2,
  kName = 3,       // letters and '_'
  kDelimiter = 4,  // , ( ) [ ] ; { } # .
  kOperator = 5,   // a first character of an operator ('#' is a delimiter first)
};

constexpr std::array<std::uint8_t, 256> kClasses = [] {
  std::array<std::uint8_t, 256> table{};
  for (const OpEntry& entry : kOpTable0) table[static_cast<unsigned char>(entry.c)] = kOperator;
  for (char c : std::string_view(",()[];{}#.")) table[static_cast<unsigned char>(c)] = kDelimiter;
  table[' '] = table['\t'] = table['\n'] = kBlank;
  for (int c = '0'; c <= '9'; ++c) table[c] = kDigit;
  for (int c = 'A'; c <= 'Z'; ++c) table[c] = table[c + 'a' - 'A'] = kName;
  table['_'] = kName;
  return table;
}();

inline std::uint8_t classOf(int c) { return c < 0 ? std::uint8_t{kOther} : kClasses[static_cast<unsigned char>(c)]; }
bool isBlank(int c) { return classOf(c) == kBlank; }
bool isDigit(int c) { return classOf(c) == kDigit; }

// For each operator table and byte: the byte's first entry there, or -1.
constexpr std::array<std::array<std::int8_t, 256>, 3> kOpEntryOf = [] {
  std::array<std::array<std::int8_t, 256>, 3> result{};
  for (std::size_t t = 0; t < kOpTables.size(); ++t) {
    result[t].fill(-1);
    for (int i = kOpTables[t].size - 1; i >= 0; --i) {
      result[t][static_cast<unsigned char>(kOpTables[t].entries[i].c)] = std::int8_t(i);
    }
  }
  return result;
}();

// The entry of [c] in table [table], or -1.
inline int findOperatorEntry(std::size_t table, int c) {
  return c < 0 ? -1 : kOpEntryOf[table][static_cast<unsigned char>(c)];
}

// What ends a number or an identifier cleanly.
bool endsWord(int c) {
  std::uint8_t k = classOf(c);
  return c < 0 || k == kBlank || k == kDelimiter || k == kOperator;
}

// The keyword an identifier spells, without regard to case; Identifier for none.
TokenKind keywordKind(std::string_view word) {
  if (word.size() < 2 || word.size() > 8) return TokenKind::Identifier;
  for (std::size_t i = 0; i < std::size(kKeywords); ++i) {
    if (script::equalsIgnoreAsciiCase(word, kKeywords[i])) return kKeywordKinds[i];
  }
  return TokenKind::Identifier;
}

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
  states_[0] = State{};
  states_[1] = State{};
  cur_ = &states_[0];
  rewound_ = false;
  lastReadWasChar_ = false;
  reportedLine_ = -1;
  reportedPos_ = 0;
}

// The common case inline: a character of the current line.
inline int xScriptLexer::readChar() {
  if (lines_ && std::size_t(cur_->line) < lines_->size()) {
    const std::string& line = (*lines_)[cur_->line];
    if (cur_->pos < line.size()) {
      lastReadWasChar_ = true;
      return static_cast<unsigned char>(line[cur_->pos++]);
    }
  }
  return readCharAcrossLines();
}

int xScriptLexer::readCharAcrossLines() {
  lastReadWasChar_ = false;
  if (!lines_) return -1;
  // At the end of input the lexer stays on the last line, so messages name it.
  while (std::size_t(cur_->line) < lines_->size()) {
    const std::string& line = (*lines_)[cur_->line];
    if (cur_->pos < line.size()) {
      lastReadWasChar_ = true;
      return static_cast<unsigned char>(line[cur_->pos++]);
    }
    if (std::size_t(cur_->line) + 1 >= lines_->size()) break;
    ++cur_->line;
    cur_->pos = 0;
    cur_->startColumn = 0;
  }
  return -1;
}

void xScriptLexer::unreadChar() {
  if (lastReadWasChar_ && cur_->pos > 0) --cur_->pos;
  lastReadWasChar_ = false;
}

void xScriptLexer::append(char c) {
  if (cur_->textLength >= script::kTokenBufferSize - 1) {
    if (!overflowReported_) error(c);
    overflowReported_ = true;
    return;
  }
  cur_->text[cur_->textLength++] = c;
  cur_->text[cur_->textLength] = '\0';
}

// Takes the run of name characters and digits that follows in the current
// line at once; what ends it (or a line end) is left to readChar.
void xScriptLexer::appendNameRun() {
  if (std::size_t(cur_->line) >= lines_->size()) return;
  const std::string& line = (*lines_)[cur_->line];
  std::size_t end = cur_->pos;
  while (end < line.size() && script::isIdentChar(line[end])) ++end;
  std::size_t n = end - cur_->pos;
  if (n == 0 || cur_->textLength + n >= std::size_t(script::kTokenBufferSize)) return;  // append() reports
  std::memcpy(cur_->text + cur_->textLength, line.data() + cur_->pos, n);
  cur_->textLength += int(n);
  cur_->text[cur_->textLength] = '\0';
  cur_->pos = end;
  lastReadWasChar_ = false;
}

// A token read again after rewind() does not report its errors twice.
void xScriptLexer::error(char c) {
  if (cur_->line < reportedLine_ || (cur_->line == reportedLine_ && cur_->pos <= reportedPos_)) return;
  reportedLine_ = cur_->line;
  reportedPos_ = cur_->pos;
  if (onError_) onError_(c, cur_->line, currentLineView());
}

// One level: a second rewind in a row changes nothing.
void xScriptLexer::rewind() {
  if (rewound_) return;
  rewound_ = true;
  cur_ = cur_ == &states_[0] ? &states_[1] : &states_[0];
}

std::string_view xScriptLexer::currentLineView() const {
  if (!lines_ || std::size_t(cur_->line) >= lines_->size()) return {};
  return (*lines_)[cur_->line];
}

char xScriptLexer::peekChar() const {
  if (!lines_) return 0;
  std::size_t pos = cur_->pos;
  for (std::size_t line = std::size_t(cur_->line); line < lines_->size(); ++line, pos = 0) {
    const std::string& text = (*lines_)[line];
    for (; pos < text.size(); ++pos) {
      if (!isBlank(text[pos])) return text[pos];
    }
  }
  return 0;
}

// The token is read into the other state slot, which starts where the
// current token ended; the current one stays as the rewind target.
TokenKind xScriptLexer::nextToken() {
  State* next = cur_ == &states_[0] ? &states_[1] : &states_[0];
  next->line = cur_->line;
  next->pos = cur_->pos;
  next->startColumn = cur_->startColumn;
  next->kind = cur_->kind;
  next->opIndex = cur_->opIndex;
  cur_ = next;
  rewound_ = false;
  cur_->textLength = 0;
  cur_->text[0] = '\0';
  overflowReported_ = false;
  int c = readChar();
  while (c >= 0 && isBlank(c)) c = readChar();
  cur_->startColumn = cur_->pos > 0 ? int(cur_->pos) - 1 : 0;
  cur_->tokenLine = cur_->line;
  if (c < 0) return cur_->kind = TokenKind::End;
  char ch = char(c);
  switch (classOf(c)) {
    case kDigit: return cur_->kind = lexNumber(ch);
    case kName: return cur_->kind = lexIdentifier(ch);
    case kDelimiter:
      append(ch);
      if (ch == '#' && cur_->startColumn != 0) error(ch);
      return cur_->kind = delimiterKind(ch);
    case kOperator: return cur_->kind = lexOperator(ch);
    default: break;
  }
  if (ch == '"') return cur_->kind = lexString();
  // Anything else is kept as an error token and reading goes on with it.
  append(ch);
  error(ch);
  return cur_->kind = lexIdentifier('\0');
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
    appendNameRun();
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
  return keywordKind(text());
}

// A character that is in the next table but continues no entry ends the
// operator before it, with an error, and starts the next token.
TokenKind xScriptLexer::lexOperator(char first) {
  append(first);
  std::size_t table = 0;
  OpEntry entry = kOpTables[0].entries[findOperatorEntry(0, first)];
  while (entry.count > 0 && table + 1 < kOpTables.size()) {
    int c = readChar();
    const OpTable& next = kOpTables[table + 1];
    if (findOperatorEntry(table + 1, c) < 0) {
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
  cur_->opIndex = entry.index;
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
