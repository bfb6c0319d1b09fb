// Lengths of WAV and MP3 files read from their headers.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "engine/audio_probe.h"
#include "tests/engine/audio_fixture.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes bytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes mp3Fixture() {
  std::ifstream in(audio_test::mp3FixturePath(), std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

TEST(AudioProbe, WavLengthFollowsTheFormat) {
  EXPECT_NEAR(*engine::wavLength(bytesOf(audio_test::makeWav(0.75))), 0.75, 1e-4);
  EXPECT_NEAR(*engine::wavLength(bytesOf(audio_test::makeWav(1.5, 8000, 2, 8))), 1.5, 1e-4);
  EXPECT_NEAR(*engine::wavLength(bytesOf(audio_test::makeWav(0.25, 48000, 2, 16, true))), 0.25, 1e-4);
  // A data size past the end of the file counts only what is there.
  std::string cut = audio_test::makeWav(1.0, 10000);
  cut.resize(cut.size() - 10000);
  EXPECT_NEAR(*engine::wavLength(bytesOf(cut)), 0.5, 1e-3);
  EXPECT_FALSE(engine::wavLength(bytesOf("RIFF\4\0\0\0WAVE")));
  EXPECT_FALSE(engine::soundFileLength(bytesOf(std::string(100, '\0'))));
}

TEST(AudioProbe, Mp3LengthWithAndWithoutTheLameIndex) {
  const Bytes mp3 = mp3Fixture();
  ASSERT_GT(mp3.size(), 1000u);
  // The fixture holds exactly one second once encoder delay and padding go.
  EXPECT_NEAR(*engine::soundFileLength(mp3), 1.0, 1e-6);

  // Behind an ID3v2 tag (10-byte header, 20 bytes of frames).
  Bytes tagged = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 20};
  tagged.resize(30, 0xFF);
  tagged.insert(tagged.end(), mp3.begin(), mp3.end());
  EXPECT_NEAR(*engine::mp3Length(tagged), 1.0, 1e-6);

  // Without the index frame the frames are counted: 40 of 1152 samples.
  // The fixture is 64 kbit/s at 44100 Hz: 208 bytes per frame plus padding.
  const std::size_t firstFrame = 208 + ((mp3[2] >> 1) & 1);
  const Bytes bare(mp3.begin() + firstFrame, mp3.end());
  EXPECT_NEAR(*engine::mp3Length(bare), 40 * 1152 / 44100.0, 1e-6);

  // Other files do not pass for MP3.
  EXPECT_FALSE(engine::mp3Length(bytesOf("\x89PNG\r\n\x1a\n" + std::string(5000, 'a'))));
}

}  // namespace
