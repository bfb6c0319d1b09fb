// Reads a visual-novel scene file into statements and cuts each into a keyword code and parameters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <string_view>
#include <vector>

namespace avg {

// A statement's keyword code: its first four bytes as a little-endian number.
constexpr std::uint32_t keywordCode(std::string_view four) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(four[0])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(four[1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(four[2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(four[3])) << 24;
}
inline constexpr std::uint32_t kUnknownCode = keywordCode("unkn");

}  // namespace avg

// Statements: a line that contains "if" or "else" (anywhere, so "life" too)
// stands alone; any other statement runs to the first line holding ';'. A
// line under 4 bytes never starts one; continuation lines of 2 bytes or fewer
// are dropped. "#" drops its line and the next; "/#" ... "#/" drops a block.
// All lengths and positions count code page 936 bytes.
class xAVGScriptReader {
 public:
  static xAVGScriptReader* getInstance();
  // Tests: forget the instance so the next getInstance builds a fresh one.
  static void resetForTests();

  // Empties the statements and reads [path] (through the path resolver, no
  // data folder put in front); then the first statement is parsed. False,
  // with nothing read, when the file cannot be opened. A file that ends
  // inside a statement or a "/#" block drops the unfinished part.
  [[nodiscard]] bool readFile(const std::string& path);
  // The same reading of a file's text already in memory.
  void readText(std::string_view text, const std::string& name);

  // Parses the statement at [current] into [token] and [params]; past the
  // last statement both are left empty and "unkn".
  void parseLine();
  // Moves to the next statement and parses it.
  void advance();
  bool atEnd() const { return current == lines.end(); }
  // The file line where the current statement begins; 0 past the last one.
  std::int32_t currentFirstLine() const;

  // Cuts a text statement into pieces: "\b" ends a piece, "\c" ends one and
  // adds "#CS", "\n" is a line break, "\v<name>" adds "#VO name" and loses
  // the piece under way. The piece under way at the end is not kept.
  void parseTextLine();
  // The keyword code of [statement] with the reader's exceptions ("if "
  // gives "jfe ", "bg " gives "back", ...); "unkn" for unknown keys.
  static std::uint32_t tokenCode(const std::string& statement);
  // From [pos]: skips blanks and one word, and returns the last blank before
  // the next word, or [pos] when the word runs into ';' or the end, or only
  // blanks follow it.
  static std::size_t findNextSeparator(const std::string& statement, std::size_t pos);

  std::list<std::string> lines;
  // The file line where each statement of [lines] begins, in order: 1-based,
  // every line of the file counted (comments too), as an editor shows it.
  std::vector<std::int32_t> firstLines;
  std::list<std::string>::iterator current = lines.end();
  std::uint32_t token = avg::kUnknownCode;
  // The parameters or text pieces of the current statement.
  std::vector<std::string> params;
  std::string fileName;
  // Statements parsed after the first.
  std::int32_t lineIndex = 0;
  // Set when the builder has consumed the last statement.
  bool finished = false;

 private:
  xAVGScriptReader() = default;
  void readStatements(const std::vector<std::string>& fileLines);
  void splitParams(const std::string& statement);
};
