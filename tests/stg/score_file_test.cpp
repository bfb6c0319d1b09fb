// The high-score file: round trips, the layout on disk, hostile files, and the write that never cuts the old file.
#include "stg/score_file.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/platform.h"
#include "tests/support/temp_dir.h"

namespace {

using Bytes = std::vector<unsigned char>;

// The magic, N, then the given slots as little-endian words.
Bytes file(const std::string& magic, int digits, const std::vector<std::uint32_t>& slots) {
  Bytes out(magic.begin(), magic.end());
  out.push_back((unsigned char)(signed char)digits);
  for (std::uint32_t slot : slots) {
    for (int i = 0; i < 4; ++i) out.push_back((unsigned char)(slot >> (8 * i)));
  }
  return out;
}

stg::ScoreFileStatus statusOf(const Bytes& bytes) { return stg::parseScoreFile(bytes).status; }

TEST(ScoreFile, RoundTripsEveryWidthUpToTheLargestScore) {
  for (std::uint32_t value : {0u, 7u, 10u, 12345u, 2147483647u, 2147483648u, 3000000000u, 4294967295u}) {
    stg::ScoreFileRead read = stg::parseScoreFile(stg::encodeScoreFile(value));
    EXPECT_EQ(read.status, stg::ScoreFileStatus::Ok) << value;
    EXPECT_EQ(read.value, value);
  }
}

TEST(ScoreFile, StoresOneSlotPerDigitLastDigitFirst) {
  EXPECT_EQ(stg::encodeScoreFile(3000000001u), file("qlmr", 10, {1, 0, 0, 0, 0, 0, 0, 0, 0, 3}));
  EXPECT_EQ(stg::encodeScoreFile(0), file("qlmr", 1, {0}));
  // Slots that all hold 0 read as 0, whatever their number.
  EXPECT_EQ(stg::parseScoreFile(file("qlmr", 4, {0, 0, 0, 0})).value, 0u);
  EXPECT_EQ(stg::parseScoreFile(file("QlMR", 3, {1, 2, 3})).value, 321u);
}

TEST(ScoreFile, RefusesEveryMalformedFile) {
  using S = stg::ScoreFileStatus;
  EXPECT_EQ(statusOf({}), S::BadHeader);
  EXPECT_EQ(statusOf({'q', 'l', 'm'}), S::BadHeader);
  EXPECT_EQ(statusOf(file("qlmx", 1, {5})), S::BadHeader);
  EXPECT_EQ(statusOf(Bytes{'q', 'l', 'm', 'r'}), S::BadDigits);  // no digit count
  EXPECT_EQ(statusOf(file("qlmr", 0, {})), S::BadDigits);
  EXPECT_EQ(statusOf(file("qlmr", -1, {})), S::BadDigits);
  EXPECT_EQ(statusOf(file("qlmr", 11, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1})), S::BadDigits);
  EXPECT_EQ(statusOf(file("qlmr", 3, {1, 2})), S::BadDigits);        // cut short
  EXPECT_EQ(statusOf(file("qlmr", 2, {1, 2, 3})), S::BadDigits);     // trailing slot
  Bytes half = file("qlmr", 2, {1, 2});
  half.pop_back();
  EXPECT_EQ(statusOf(half), S::BadDigits);                            // cut inside a slot
  EXPECT_EQ(statusOf(file("qlmr", 2, {1, 10})), S::BadDigits);        // not a digit
  EXPECT_EQ(statusOf(file("qlmr", 1, {0xFFFFFFFF})), S::BadDigits);
  EXPECT_EQ(statusOf(file("qlmr", 1, {'5'})), S::BadDigits);          // a character, not a digit value
  // 4294967296 has ten digits but no 32-bit home.
  EXPECT_EQ(statusOf(file("qlmr", 10, {6, 9, 2, 7, 6, 9, 4, 9, 2, 4})), S::BadDigits);
  EXPECT_EQ(stg::parseScoreFile(file("qlmr", 2, {1, 10})).value, 0u);
}

TEST(ScoreFile, WriteReplacesTheFileWholeAndLeavesNoTemporaryFile) {
  ScopedTempDir dir;
  EXPECT_EQ(stg::readScoreFile("score.dat").status, stg::ScoreFileStatus::Missing);
  ASSERT_EQ(stg::writeScoreFile("score.dat", 12), stg::ScoreWriteStatus::Ok);
  ASSERT_EQ(stg::writeScoreFile("score.dat", 3000000000u), stg::ScoreWriteStatus::Ok);
  EXPECT_FALSE(std::filesystem::exists("score.dat.tmp"));
  stg::ScoreFileRead read = stg::readScoreFile("score.dat");
  EXPECT_EQ(read.status, stg::ScoreFileStatus::Ok);
  EXPECT_EQ(read.value, 3000000000u);
}

TEST(ScoreFile, ALinkInPlaceOfTheTemporaryFileIsNotWrittenThrough) {
  ScopedTempDir dir;
  dir.write("elsewhere.txt", "kept");
  std::filesystem::create_symlink(dir.path() / "elsewhere.txt", "score.dat.tmp");
  ASSERT_EQ(stg::writeScoreFile("score.dat", 77), stg::ScoreWriteStatus::Ok);
  EXPECT_EQ(dir.read("elsewhere.txt"), "kept");
  EXPECT_EQ(stg::readScoreFile("score.dat").value, 77u);
}

TEST(ScoreFile, AFailedWriteKeepsTheOldFile) {
  ScopedTempDir dir;
  ASSERT_EQ(stg::writeScoreFile("score.dat", 4321), stg::ScoreWriteStatus::Ok);
  // The temporary file cannot be made where a folder stands.
  std::filesystem::create_directory("score.dat.tmp");
  EXPECT_EQ(stg::writeScoreFile("score.dat", 99), stg::ScoreWriteStatus::CannotOpen);
  EXPECT_EQ(stg::readScoreFile("score.dat").value, 4321u);
  std::filesystem::remove("score.dat.tmp");
  // Nor can the file itself be opened for writing where a folder stands:
  // the open fails, before any temporary file is made.
  std::filesystem::remove("score.dat");
  std::filesystem::create_directories("score.dat/x");
  engine::clearPathCache();
  EXPECT_EQ(stg::writeScoreFile("score.dat", 99), stg::ScoreWriteStatus::CannotOpen);
  EXPECT_FALSE(std::filesystem::exists("score.dat.tmp"));
  EXPECT_EQ(stg::readScoreFile("score.dat").status, stg::ScoreFileStatus::Unreadable);
}

}  // namespace
