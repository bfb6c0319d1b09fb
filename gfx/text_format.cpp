// printf-style formatting into bounded buffers.
#include "gfx/text_format.h"

#include <cstdio>
#include <cwchar>
#include <string_view>
#include <vector>

#include "base/resource_path.h"

namespace gfx {
namespace {

// Length of [text] without a last lead byte whose trail byte was cut off.
std::size_t wholeCharacters(const char* text, std::size_t length) {
  std::size_t i = 0;
  while (i < length) {
    bool lead = static_cast<unsigned char>(text[i]) >= 0x81 && static_cast<unsigned char>(text[i]) != 0xFF;
    if (lead && i + 1 == length) return i;
    i += lead ? 2 : 1;
  }
  return length;
}

}  // namespace

std::wstring formatNarrow(std::size_t capacity, const char* format, va_list args) {
  if (capacity == 0 || format == nullptr) return {};
  std::vector<char> buffer(capacity, 0);
  int written = std::vsnprintf(buffer.data(), capacity, format, args);
  if (written < 0) return {};
  std::size_t length = static_cast<std::size_t>(written);
  if (length >= capacity) length = wholeCharacters(buffer.data(), capacity - 1);
  return StringToWString(std::string(buffer.data(), length));
}

std::wstring formatWide(std::size_t capacity, const wchar_t* format, va_list args) {
  if (capacity == 0 || format == nullptr) return {};
  std::vector<wchar_t> buffer(capacity, 0);
  int written = std::vswprintf(buffer.data(), capacity, format, args);
  if (written >= 0) return std::wstring(buffer.data(), static_cast<std::size_t>(written));
  // On overflow glibc reports -1 after writing capacity - 1 units unterminated.
  std::wstring_view output(buffer.data(), capacity - 1);
  return std::wstring(output.substr(0, output.find(L'\0')));
}

}  // namespace gfx
