// Code page 936 <-> wide text and UTF-8 through iconv, never aborting on bad input.
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <iconv.h>

#include "engine/platform.h"

namespace engine {
namespace {

enum class Direction { Cp936ToWide, WideToCp936, Cp936ToUtf8, Utf8ToWide, Count };

constexpr const char* kCodes[][2] = {
    {"WCHAR_T", "CP936"},  // {to, from}
    {"CP936", "WCHAR_T"},
    {"UTF-8", "CP936"},
    {"WCHAR_T", "UTF-8"},
};
static_assert(std::size(kCodes) == std::size_t(Direction::Count));

// Opening a converter costs a module lookup, so each thread keeps its own.
class Converters {
 public:
  ~Converters() {
    for (iconv_t cd : cds_)
      if (cd != kInvalid) iconv_close(cd);
  }
  // The converter for [dir], reset to its initial state; kInvalid if it cannot open.
  iconv_t get(Direction dir) {
    iconv_t& cd = cds_[std::size_t(dir)];
    if (cd == kInvalid) {
      cd = iconv_open(kCodes[std::size_t(dir)][0], kCodes[std::size_t(dir)][1]);
      if (cd == kInvalid) logError("iconv_open", std::strerror(errno));
    } else {
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return cd;
  }
  static inline const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);

 private:
  iconv_t cds_[std::size_t(Direction::Count)] = {kInvalid, kInvalid, kInvalid, kInvalid};
};

Converters& converters() {
  thread_local Converters instance;
  return instance;
}

// Runs [dir] over [in]. Input that does not decode fails. When [replaceUnit]
// is given (wide input), a character that decodes but has no form in the
// target is skipped one unit and written as '?', the code page's default.
bool convert(Direction dir, std::string_view in, std::string& out, std::size_t replaceUnit = 0) {
  out.clear();
  if (in.empty()) return true;
  iconv_t cd = converters().get(dir);
  if (cd == Converters::kInvalid) return false;
  out.resize(in.size() * 2 + 16);
  char* src = const_cast<char*>(in.data());
  std::size_t srcLeft = in.size();
  std::size_t used = 0;
  for (;;) {
    char* dst = out.data() + used;
    std::size_t dstLeft = out.size() - used;
    std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    used = out.size() - dstLeft;
    if (rc != std::size_t(-1)) break;  // all of the input converted (the codes keep no shift state)
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
    } else if (errno == EILSEQ && replaceUnit != 0 && srcLeft >= replaceUnit) {
      if (used == out.size()) out.resize(out.size() * 2);
      out[used++] = '?';
      src += replaceUnit;
      srcLeft -= replaceUnit;
    } else {
      out.clear();
      return false;  // EILSEQ or EINVAL: the input does not decode
    }
  }
  out.resize(used);
  return true;
}

bool isCodePoint(wchar_t c) {
  auto u = static_cast<std::uint32_t>(c);
  return u <= 0x10FFFF && (u < 0xD800 || u > 0xDFFF);
}

std::wstring toWide(const std::string& bytes) {
  std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
  std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
  return text;
}

template <typename Text>
Text finish(bool success, Text text, bool* ok) {
  if (ok) *ok = success;
  return success ? text : Text();
}

}  // namespace

std::wstring cp936ToWide(std::string_view text, bool* ok) {
  std::string bytes;
  bool success = convert(Direction::Cp936ToWide, text, bytes);
  return finish(success, toWide(bytes), ok);
}

std::string wideToCp936(std::wstring_view text, bool* ok) {
  std::string out;
  bool success = true;
  for (wchar_t c : text) success = success && isCodePoint(c);
  if (success) {
    std::string_view units(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    success = convert(Direction::WideToCp936, units, out, sizeof(wchar_t));
  }
  return finish(success, std::move(out), ok);
}

std::string cp936ToUtf8(std::string_view text, bool* ok) {
  std::string out;
  bool success = convert(Direction::Cp936ToUtf8, text, out);
  return finish(success, std::move(out), ok);
}

std::string utf8ToCp936(std::string_view text, bool* ok) {
  std::string bytes;
  if (!convert(Direction::Utf8ToWide, text, bytes)) return finish(false, std::string(), ok);
  return wideToCp936(toWide(bytes), ok);
}

}  // namespace engine
