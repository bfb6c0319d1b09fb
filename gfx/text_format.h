// printf-style formatting into bounded buffers for the fonts' Print operations.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

namespace gfx {

// Formats into at most [capacity] - 1 bytes, truncating the rest (and a
// double-byte character cut in half), then converts the code page 936 text
// to display text.
std::wstring formatNarrow(std::size_t capacity, const char* format, va_list args);
// Formats into at most [capacity] - 1 units, truncating the rest.
std::wstring formatWide(std::size_t capacity, const wchar_t* format, va_list args);

}  // namespace gfx
