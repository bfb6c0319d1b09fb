// Code page 936 text as scene files and defines.txt hold it: lines, characters, words.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace avg {

// A byte 0x81-0xFE leads a two-byte character; its second byte may be any
// byte from 0x40, a backslash or an ASCII letter among them.
constexpr bool isLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// Bytes of the character at [pos]: 2 for a lead byte with a byte after it, else 1.
std::size_t charLength(std::string_view text, std::size_t pos);

// True when [word] occurs in [text] starting on a character boundary, so the
// second byte of a two-byte character never begins a match.
bool containsWord(std::string_view text, std::string_view word);

// Equal without regard to ASCII case; the second byte of a two-byte
// character is compared exactly, never folded.
bool equalsNoCase(std::string_view a, std::string_view b);

// Reads [path] through the engine's path resolver and splits it the way a
// text-mode line reader does: at '\n', with one '\r' before it dropped (files
// written on Windows); a final line break does not begin another line.
// False when the file cannot be read; [error], when given, then holds the
// reason as the engine's readFile gives it.
[[nodiscard]] bool readTextLines(const std::string& path, std::vector<std::string>& lines, int* error = nullptr);
// The same split of text already in memory.
std::vector<std::string> splitTextLines(std::string_view text);

}  // namespace avg
