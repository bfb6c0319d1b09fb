// The high-score file: its layout, a strict reader, and a writer that never leaves it half-written.
#include "stg/score_file.h"

#include <cerrno>
#include <cstdio>
#include <string_view>

#include <sys/stat.h>
#include <unistd.h>

#include "engine/platform.h"

namespace stg {

namespace {

constexpr std::string_view kMagic = "qlmr";
constexpr std::size_t kHeaderSize = 5;
constexpr std::size_t kSlotSize = 4;
constexpr int kMaxDigits = 10;  // 4294967295

char lower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : char(c); }

std::uint32_t slotAt(std::span<const unsigned char> bytes, std::size_t offset) {
  return std::uint32_t(bytes[offset]) | std::uint32_t(bytes[offset + 1]) << 8 |
         std::uint32_t(bytes[offset + 2]) << 16 | std::uint32_t(bytes[offset + 3]) << 24;
}

void putSlot(std::vector<unsigned char>& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back((unsigned char)(value >> (8 * i)));
}

ScoreFileRead fail(ScoreFileStatus status) { return {status, 0}; }

}  // namespace

ScoreFileRead parseScoreFile(std::span<const unsigned char> bytes) {
  if (bytes.size() < kMagic.size()) return fail(ScoreFileStatus::BadHeader);
  for (std::size_t i = 0; i < kMagic.size(); ++i) {
    if (lower(bytes[i]) != kMagic[i]) return fail(ScoreFileStatus::BadHeader);
  }
  if (bytes.size() < kHeaderSize) return fail(ScoreFileStatus::BadDigits);
  const int digits = static_cast<signed char>(bytes[4]);
  if (digits < 1 || digits > kMaxDigits) return fail(ScoreFileStatus::BadDigits);
  if (bytes.size() != kHeaderSize + kSlotSize * std::size_t(digits)) return fail(ScoreFileStatus::BadDigits);
  // The slots run from the last digit to the first.
  std::uint64_t value = 0;
  for (int i = digits - 1; i >= 0; --i) {
    std::uint32_t digit = slotAt(bytes, kHeaderSize + kSlotSize * std::size_t(i));
    if (digit > 9) return fail(ScoreFileStatus::BadDigits);
    value = value * 10 + digit;
  }
  if (value > 0xFFFFFFFFu) return fail(ScoreFileStatus::BadDigits);
  return {ScoreFileStatus::Ok, std::uint32_t(value)};
}

std::vector<unsigned char> encodeScoreFile(std::uint32_t value) {
  std::string text = std::to_string(value);
  std::vector<unsigned char> out(kMagic.begin(), kMagic.end());
  out.push_back((unsigned char)text.size());
  for (auto digit = text.rbegin(); digit != text.rend(); ++digit) putSlot(out, std::uint32_t(*digit - '0'));
  return out;
}

ScoreFileRead readScoreFile(const std::string& path) {
  std::vector<unsigned char> bytes;
  int error = 0;
  if (!engine::readFile(path, bytes, &error)) {
    return fail(error == ENOENT ? ScoreFileStatus::Missing : ScoreFileStatus::Unreadable);
  }
  return parseScoreFile(bytes);
}

namespace {

// The rename would get past what stops opening the file itself for writing:
// a folder in its place, or a file the player may not write.
bool targetOpensForWriting(const std::string& target) {
  struct stat info {};
  if (::stat(target.c_str(), &info) != 0) return errno == ENOENT;
  return !S_ISDIR(info.st_mode) && ::access(target.c_str(), W_OK) == 0;
}

}  // namespace

ScoreWriteStatus writeScoreFile(const std::string& path, std::uint32_t value) {
  const std::string target = engine::resolvePath(path);
  // "" is a refused path, already reported.
  if (target.empty() || !targetOpensForWriting(target)) return ScoreWriteStatus::CannotOpen;
  const std::string temp = target + ".tmp";
  // Made afresh: a link left in its place is removed, never written through.
  ::unlink(temp.c_str());
  std::FILE* file = std::fopen(temp.c_str(), "wbx");
  if (file == nullptr) return ScoreWriteStatus::CannotOpen;
  const std::vector<unsigned char> bytes = encodeScoreFile(value);
  // A full disk often shows only at the flush; fsync makes the rename safe
  // to trust after a crash.
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  ok = std::fflush(file) == 0 && ok;
  ok = ::fsync(fileno(file)) == 0 && ok;
  ok = std::fclose(file) == 0 && ok;
  if (ok && std::rename(temp.c_str(), target.c_str()) == 0) return ScoreWriteStatus::Ok;
  std::remove(temp.c_str());
  return ScoreWriteStatus::CannotWrite;
}

}  // namespace stg
