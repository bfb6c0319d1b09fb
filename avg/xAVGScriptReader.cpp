// Reads a visual-novel scene file into statements and cuts each into a keyword code and parameters.
#include "avg/xAVGScriptReader.h"

#include <cerrno>

#include "avg/scene_text.h"
#include "base/xLogFile.h"
#include "engine/platform.h"

namespace {

xAVGScriptReader* gReader = nullptr;

using avg::keywordCode;

bool isKnownKey(std::uint32_t code) {
  static constexpr std::uint32_t kKnown[] = {
#define SCENE_KEYWORD(code, kind, build, known) known ? keywordCode(code) : 0u,
#include "avg/scene_keywords.def"
#undef SCENE_KEYWORD
  };
  for (std::uint32_t key : kKnown)
    if (key != 0 && key == code) return true;
  return false;
}

// "endif" holds "if", so two words cover the three.
bool standsAlone(const std::string& line) {
  return avg::containsWord(line, "if") || avg::containsWord(line, "else");
}

bool contains(const std::string& line, std::string_view what) {
  return line.find(what) != std::string::npos;
}

// Hands out the file's lines one by one; false once they are used up.
class LineSource {
 public:
  explicit LineSource(const std::vector<std::string>& lines) : lines_(lines) {}
  bool next(std::string& line) {
    if (index_ >= lines_.size()) return false;
    line = lines_[index_++];
    return true;
  }
  // The 1-based number of the line handed out last.
  std::int32_t lineNumber() const { return static_cast<std::int32_t>(index_); }

 private:
  const std::vector<std::string>& lines_;
  std::size_t index_ = 0;
};

}  // namespace

xAVGScriptReader* xAVGScriptReader::getInstance() {
  if (!gReader) gReader = new xAVGScriptReader();
  return gReader;
}

void xAVGScriptReader::resetForTests() {
  delete gReader;
  gReader = nullptr;
}

bool xAVGScriptReader::readFile(const std::string& path) {
  lines.clear();
  firstLines.clear();
  // The old iterator died with the old statements.
  current = lines.end();
  std::vector<std::string> fileLines;
  int error = 0;
  if (!avg::readTextLines(path, fileLines, &error)) {
    // The callers name the file; a reason beyond a missing file (a device, a
    // folder, a huge file) is worth its own line. A refused path has had one.
    if (error != ENOENT && error != EPERM)
      WriteLog("xAVGScriptReader::readFile: %s (%s)", path.c_str(), engine::fileErrorText(error).c_str());
    return false;
  }
  fileName = path;
  readStatements(fileLines);
  current = lines.begin();
  lineIndex = 0;
  finished = false;
  parseLine();
  return true;
}

void xAVGScriptReader::readText(std::string_view text, const std::string& name) {
  lines.clear();
  firstLines.clear();
  fileName = name;
  readStatements(avg::splitTextLines(text));
  current = lines.begin();
  lineIndex = 0;
  finished = false;
  parseLine();
}

// One pass per statement: "#" skips two lines, a "/#" block is skipped up to
// its "#/" line and one more line is read; only then is the line tested for
// starting a statement. The end of the file ends reading wherever it comes.
void xAVGScriptReader::readStatements(const std::vector<std::string>& fileLines) {
  LineSource source(fileLines);
  std::string line;
  std::string statement;
  while (source.next(line)) {
    if (!line.empty() && line[0] == '#') {
      if (!source.next(line) || !source.next(line)) return;
    }
    if (contains(line, "/#")) {
      if (!contains(line, "#/")) {
        do {
          if (!source.next(line)) return;
        } while (!contains(line, "#/"));
      }
      if (!source.next(line)) return;
    }
    if (line.size() < 4) continue;
    std::int32_t firstLine = source.lineNumber();
    if (!standsAlone(line)) {
      while (!contains(line, ";")) {
        if (line.size() > 2) statement += line;
        if (!source.next(line)) return;
      }
    }
    statement += line;
    lines.push_back(std::move(statement));
    firstLines.push_back(firstLine);
    statement.clear();
  }
}

void xAVGScriptReader::parseLine() {
  params.clear();
  token = avg::kUnknownCode;
  if (atEnd()) return;
  token = tokenCode(*current);
  if (token == keywordCode("text")) parseTextLine();
  else splitParams(*current);
}

std::int32_t xAVGScriptReader::currentFirstLine() const {
  if (atEnd() || lineIndex < 0 || static_cast<std::size_t>(lineIndex) >= firstLines.size()) return 0;
  return firstLines[static_cast<std::size_t>(lineIndex)];
}

void xAVGScriptReader::advance() {
  if (atEnd()) return;
  ++current;
  ++lineIndex;
  parseLine();
}

std::uint32_t xAVGScriptReader::tokenCode(const std::string& s) {
  // A position past the end is "not that character".
  auto at = [&s](std::size_t i) { return i < s.size() ? s[i] : '\0'; };
  if (s.starts_with("if ")) return keywordCode("jfe ");
  if (s.starts_with("bg ")) return keywordCode("back");
  if (s.size() < 4) return avg::kUnknownCode;
  std::uint32_t code = keywordCode(s);
  if (code == keywordCode("text")) return at(4) == 'C' ? keywordCode("uext") : code;
  if (code == keywordCode("bgso")) return at(7) == 'o' ? keywordCode("cgso") : code;
  if (code == keywordCode("alph")) return at(5) == 'i' ? code : keywordCode("blph");
  if (code == keywordCode("setb")) return at(5) == 'm' || at(4) == 'o' ? code : keywordCode("tetb");
  if (code == keywordCode("unlo")) return at(6) == 'm' ? code : keywordCode("vnlo");
  return isKnownKey(code) ? code : avg::kUnknownCode;
}

std::size_t xAVGScriptReader::findNextSeparator(const std::string& s, std::size_t pos) {
  std::size_t i = pos;
  while (i < s.size() && s[i] == ' ') ++i;
  while (i < s.size() && s[i] != ' ' && s[i] != ';') ++i;
  if (i >= s.size() || s[i] == ';') return pos;
  std::size_t next = i;
  while (next < s.size() && s[next] == ' ') ++next;
  return next >= s.size() ? pos : next - 1;
}

// The first parameter starts right after the statement's first blank, so
// further blanks there are part of it; later ones start after their run of
// blanks. Each ends with its word: blanks after it belong to no parameter.
void xAVGScriptReader::splitParams(const std::string& s) {
  std::size_t previous = s.find(' ');
  if (previous == std::string::npos) return;
  for (;;) {
    std::size_t separator = findNextSeparator(s, previous);
    if (separator <= previous || separator + 1 >= s.size()) return;
    std::size_t wordEnd = s.find_first_not_of(' ', previous + 1);
    wordEnd = s.find(' ', wordEnd);
    params.push_back(s.substr(previous + 1, wordEnd - previous - 1));
    previous = separator;
  }
}

void xAVGScriptReader::parseTextLine() {
  const std::string& s = *current;
  std::size_t i = s.find(' ');
  if (i == std::string::npos) return;
  ++i;
  std::string piece;
  auto emit = [&] {
    if (!piece.empty()) params.push_back(piece);
    piece.clear();
  };
  while (i < s.size()) {
    std::size_t length = avg::charLength(s, i);
    if (length == 2 || s[i] != '\\') {
      piece.append(s, i, length);
      i += length;
      continue;
    }
    if (i + 1 >= s.size()) return;  // a lone backslash at the end
    char escape = s[i + 1];
    i += 2;
    switch (escape) {
      case 'b':
        emit();
        break;
      case 'c':
        emit();
        params.push_back("#CS");
        break;
      case 'n':
        piece += '\n';
        break;
      case 'v': {
        if (i >= s.size() || s[i] != '<') break;  // "\v" alone is dropped
        std::size_t close = s.find('>', i + 1);
        params.push_back("#VO " + s.substr(i + 1, close == std::string::npos ? std::string::npos : close - i - 1));
        piece.clear();
        // No ">": the name took the rest of the statement.
        if (close == std::string::npos) return;
        i = close + 1;
        break;
      }
      default:
        // Any other escape is dropped, a two-byte character whole.
        if (avg::isLeadByte(static_cast<unsigned char>(escape)) && i < s.size()) ++i;
        break;
    }
  }
}
