// The high-score file: its layout, a strict reader, and a writer that never leaves it half-written.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace stg {

// DO NOT CHANGE the layout: players' files hold it. Little-endian:
//   0  4      magic "qlmr" (any case is accepted on reading)
//   4  1      N, the number of decimal digits (signed byte)
//   5  4 x N  one 32-bit slot per digit, holding the digit's value 0-9,
//             last digit first
// Only N in 1..10, exactly N slots after it and a value that fits 32 bits
// unsigned make a well-formed file.
constexpr char kScoreFileName[] = "score.dat";

enum class ScoreFileStatus {
  Ok,
  Missing,     // no file: a first run, not an error
  Unreadable,  // there but cannot be read (a folder, no permission)
  BadHeader,   // the magic is wrong or cut short
  BadDigits,   // the digit count, the slots or the value are wrong
};

struct ScoreFileRead {
  ScoreFileStatus status = ScoreFileStatus::Missing;
  std::uint32_t value = 0;  // 0 unless status is Ok
};

ScoreFileRead parseScoreFile(std::span<const unsigned char> bytes);
std::vector<unsigned char> encodeScoreFile(std::uint32_t value);

// Reads the game path [path] through the path resolver.
ScoreFileRead readScoreFile(const std::string& path);

// CannotOpen: [path] could not be opened for writing in place (a folder
// there, no permission) or the temporary file could not be made.
// CannotWrite: writing, flushing or the rename failed.
enum class ScoreWriteStatus { Ok, CannotOpen, CannotWrite };

// Writes [value] to a temporary file beside [path] and renames it over
// [path], so a crash leaves the old file or the new one, never a cut one.
// On failure the temporary file is removed and the old file is untouched.
[[nodiscard]] ScoreWriteStatus writeScoreFile(const std::string& path, std::uint32_t value);

}  // namespace stg
