// Code page 936 text as scene files and defines.txt hold it.
#include "avg/scene_text.h"

#include "engine/platform.h"

namespace avg {

namespace {

char foldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::size_t charLength(std::string_view text, std::size_t pos) {
  return isLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() ? 2 : 1;
}

bool containsWord(std::string_view text, std::string_view word) {
  for (std::size_t pos = 0; pos < text.size(); pos += charLength(text, pos))
    if (text.substr(pos).starts_with(word)) return true;
  return false;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t pos = 0; pos < a.size();) {
    std::size_t length = charLength(a, pos);
    if (length == 2) {
      if (a.substr(pos, 2) != b.substr(pos, 2)) return false;
    } else if (foldAscii(a[pos]) != foldAscii(b[pos])) {
      return false;
    }
    pos += length;
  }
  return true;
}

std::vector<std::string> splitTextLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (line.ends_with('\r')) line.remove_suffix(1);
    lines.emplace_back(line);
    start = end + 1;
  }
  return lines;
}

bool readTextLines(const std::string& path, std::vector<std::string>& lines, int* error) {
  std::vector<unsigned char> bytes;
  if (!engine::readFile(path, bytes, error)) return false;
  lines = splitTextLines(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  return true;
}

}  // namespace avg
