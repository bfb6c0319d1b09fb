// The INI file: lenient, case-insensitive reads and line-preserving atomic writes.
#include "engine/ini.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "engine/platform.h"

namespace engine {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kSpace = " \t";

std::string_view trim(std::string_view text) {
  std::size_t first = text.find_first_not_of(kSpace);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

bool equalsFolded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// What one line of the file says, ignoring comments and lines without '='.
struct LineView {
  enum class Kind { Other, Section, Entry } kind = Kind::Other;
  std::string_view name;   // section name or key
  std::string_view value;  // entries only
};

LineView classify(std::string_view line) {
  if (line.starts_with(kBom)) line.remove_prefix(kBom.size());
  line = trim(line);
  if (line.starts_with('[')) {
    std::size_t close = line.find(']');
    return {LineView::Kind::Section, trim(line.substr(1, close == std::string_view::npos ? close : close - 1)), {}};
  }
  std::size_t eq = line.find('=');
  if (line.empty() || line[0] == ';' || line[0] == '#' || eq == std::string_view::npos) return {};
  return {LineView::Kind::Entry, trim(line.substr(0, eq)), trim(line.substr(eq + 1))};
}

// The file as lines (without their endings), kept verbatim for rewriting.
struct Document {
  std::vector<std::string> lines;
  std::string eol = "\n";
  // Why the file could not be read: 0 when it was, or is simply missing.
  int error = 0;

  static Document load(const std::string& gamePath) {
    Document doc;
    std::vector<unsigned char> bytes;
    int error = 0;
    if (gamePath.empty()) return doc;
    if (!readFile(gamePath, bytes, &error)) {
      if (error != ENOENT && error != ENOTDIR) doc.error = error;
      return doc;
    }
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    while (!text.empty()) {
      std::size_t nl = text.find('\n');
      std::string_view line = text.substr(0, nl);
      text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
      if (line.ends_with('\r')) {
        line.remove_suffix(1);
        if (doc.lines.empty()) doc.eol = "\r\n";
      }
      doc.lines.emplace_back(line);
    }
    return doc;
  }

  // The line holding [key] in the first [section] that has it.
  std::optional<std::size_t> findEntry(std::string_view section, std::string_view key) const {
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      LineView view = classify(lines[i]);
      if (view.kind == LineView::Kind::Section) inSection = equalsFolded(view.name, section);
      else if (inSection && view.kind == LineView::Kind::Entry && equalsFolded(view.name, key)) return i;
    }
    return std::nullopt;
  }

  // Where a new key of [section] goes: after the section's last non-blank line.
  std::optional<std::size_t> insertionPoint(std::string_view section) const {
    std::optional<std::size_t> point;
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      LineView view = classify(lines[i]);
      if (view.kind == LineView::Kind::Section) {
        if (point) return point;
        inSection = equalsFolded(view.name, section);
      }
      if (inSection && !trim(lines[i]).empty()) point = i + 1;
    }
    return point;
  }

  void set(std::string_view section, std::string_view key, std::string_view value) {
    std::string entry = std::string(key) + "=" + std::string(value);
    if (auto at = findEntry(section, key)) {
      lines[*at] = std::string(classify(lines[*at]).name) + "=" + std::string(value);
    } else if (auto point = insertionPoint(section)) {
      lines.insert(lines.begin() + std::ptrdiff_t(*point), entry);
    } else {
      if (!lines.empty() && !trim(lines.back()).empty()) lines.emplace_back();
      lines.push_back("[" + std::string(section) + "]");
      lines.push_back(entry);
    }
  }

  std::string text() const {
    std::string out;
    for (const std::string& line : lines) out += line + eol;
    return out;
  }
};

// The value of [section]/[key] in [doc], or nothing when missing or empty.
std::optional<std::string> lookup(const Document& doc, std::string_view section, std::string_view key) {
  auto at = doc.findEntry(trim(section), trim(key));
  if (!at) return std::nullopt;
  std::string_view value = classify(doc.lines[*at]).value;
  if (value.empty()) return std::nullopt;
  return std::string(value);
}

// The leading decimal integer of [text] ("12abc" is 12, "3.9" is 3), clamped
// to the int range; 0 when it does not start with one.
int leadingInt(std::string_view text) {
  std::size_t i = 0;
  bool negative = i < text.size() && text[i] == '-';
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > 1LL + INT_MAX) value = 1LL + INT_MAX;
  }
  if (negative) value = -value;
  return int(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// The leading decimal number of [text], read without the locale; 0 when it
// does not start with one or the number does not fit a float.
float leadingFloat(std::string_view text) {
  if (text.starts_with('+') && !text.starts_with("+-")) text.remove_prefix(1);
  float value = 0.0f;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  (void)end;
  return ec == std::errc() ? value : 0.0f;
}

std::string formatFloat(float value) {
  char text[32];
  auto [end, ec] = std::to_chars(text, text + sizeof text, value);
  return ec == std::errc() ? std::string(text, end) : "0";
}

// A write must not be able to change the file's structure: line breaks,
// a '=' in a key or a ']' in a section name would be read back differently.
bool writable(std::string_view section, std::string_view key, std::string_view value) {
  auto hasBreak = [](std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; };
  if (hasBreak(section) || hasBreak(key) || hasBreak(value)) return false;
  if (section.empty() || section.find(']') != std::string_view::npos) return false;
  return !key.empty() && key.find('=') == std::string_view::npos && key[0] != '[' && key[0] != ';' &&
         key[0] != '#';
}

bool writeAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += std::size_t(n);
  }
  return true;
}

// Replaces [path] (the game path [gamePath]) with [text] through a temporary
// file in the same folder and a rename, so a crash leaves either the old file
// or the new one.
void replaceFile(const std::string& gamePath, std::string path, const std::string& text) {
  std::error_code ec;
  if (std::filesystem::is_symlink(path, ec)) path = std::filesystem::canonical(path, ec).string();
  std::string temp = path + ".tmp";
  struct stat info;
  mode_t mode = ::stat(path.c_str(), &info) == 0 ? (info.st_mode & 0777) : 0644;
  ::unlink(temp.c_str());
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) {
    return logError("write", displayPath(gamePath) + ": cannot create " + temp + ": " + std::strerror(errno));
  }
  bool ok = writeAll(fd, text) && ::fsync(fd) == 0;
  std::string why = std::strerror(errno);
  ok = (::close(fd) == 0) && ok;
  if (ok && ::rename(temp.c_str(), path.c_str()) == 0) return;
  logError("write", displayPath(gamePath) + ": " + (ok ? std::strerror(errno) : why.c_str()));
  ::unlink(temp.c_str());
}

}  // namespace

void IniFile::setPath(std::string_view path) {
  path_ = std::string(path);
  readWarned_ = false;
}

std::optional<std::string> IniFile::find(std::string_view section, std::string_view key) const {
  if (path_.empty()) return std::nullopt;
  Document doc = Document::load(path_);
  if (doc.error != 0 && !std::exchange(readWarned_, true)) {
    logError("read", displayPath(path_) + ": " + std::strerror(doc.error) + " (settings read as their defaults)");
  }
  if (doc.error == 0) readWarned_ = false;
  return lookup(doc, section, key);
}

int IniFile::getInt(std::string_view section, std::string_view key, int def) const {
  auto value = find(section, key);
  return value ? leadingInt(*value) : def;
}

float IniFile::getFloat(std::string_view section, std::string_view key, float def) const {
  auto value = find(section, key);
  return value ? leadingFloat(*value) : def;
}

std::string IniFile::getString(std::string_view section, std::string_view key, std::string_view def) const {
  auto value = find(section, key);
  return value ? *value : std::string(def);
}

void IniFile::setInt(std::string_view section, std::string_view key, int value) {
  setString(section, key, std::to_string(value));
}

void IniFile::setFloat(std::string_view section, std::string_view key, float value) {
  setString(section, key, formatFloat(value));
}

void IniFile::setString(std::string_view section, std::string_view key, std::string_view value) {
  if (path_.empty()) return;
  section = trim(section);
  key = trim(key);
  if (!writable(section, key, value)) {
    return logError("IniFile::setString", "refused [" + displayPath(section) + "] " + displayPath(key));
  }
  Document doc = Document::load(path_);
  // Writing over a file that could not be read would drop every other setting.
  if (doc.error != 0) {
    return logError("read", displayPath(path_) + ": " + std::strerror(doc.error) + " (left as it is: [" +
                                displayPath(section) + "] " + displayPath(key) + " not written)");
  }
  doc.set(section, key, trim(value));
  replaceFile(path_, resolvePath(path_), doc.text());
}

}  // namespace engine
