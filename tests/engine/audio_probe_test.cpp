// Lengths of WAV, MP3 and Ogg Vorbis files read from their headers, and WAV headers the mixer must not see.
#include <gtest/gtest.h>

#include <vector>

#include "engine/audio_probe.h"
#include "tests/engine/audio_fixture.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes bytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

using audio_test::fileText;

Bytes mp3Fixture() { return bytesOf(fileText(audio_test::mp3FixturePath())); }

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

// A 0-channel WAV made the mixer divide by zero when it streamed it.
TEST(AudioProbe, WavHeadersWithZerosOrSizesThatDisagreeAreTold) {
  using audio_test::withWavField;
  const std::string wav = audio_test::makeWav(0.1, 22050, 2, 16);  // block align 4, byte rate 88200
  EXPECT_EQ(engine::soundFileProblem(bytesOf(wav)), "");
  const std::pair<std::string, std::string> cases[] = {
      {withWavField(wav, 2, 0), "WAV format with 0 channels"},
      {withWavField(wav, 4, 0, 4), "WAV format with 0 sample rate"},
      {withWavField(wav, 12, 0), "WAV format with 0 block align"},
      {withWavField(wav, 14, 0), "WAV format with 0 bits per sample"},
      {withWavField(wav, 12, 2), "WAV block align 2 is not 2 channels of 16 bits"},
      {withWavField(withWavField(wav, 2, 3), 12, 6), "WAV byte rate 88200 is not 22050 Hz of 6-byte frames"},
      {std::string("RIFF\x0C\0\0\0WAVEdata\0\0\0\0", 20), "WAV without a format chunk"},
      {withWavField(withWavField(wav, 4, 999, 4), 8, 999 * 4, 4), "WAV sample rate 999 Hz is outside 1000-384000 Hz"},
      {withWavField(withWavField(wav, 4, 384001, 4), 8, 384001 * 4, 4),
       "WAV sample rate 384001 Hz is outside 1000-384000 Hz"},
  };
  for (const auto& [file, reason] : cases) EXPECT_EQ(engine::soundFileProblem(bytesOf(file)), reason);
  // Compressed formats keep their own block sizes: IMA ADPCM, 4 bits, 512-byte blocks.
  std::string adpcm = withWavField(withWavField(withWavField(wav, 0, 0x11), 14, 4), 12, 512);
  EXPECT_EQ(engine::soundFileProblem(bytesOf(adpcm)), "");
  EXPECT_EQ(engine::soundFileProblem(mp3Fixture()), "");
  // An effect is decoded whole at 44100 Hz stereo: 1521 s fit in 256 MiB, 1522 s do not.
  EXPECT_EQ(engine::soundFileProblem(bytesOf(audio_test::makeWav(1521, 1000, 1, 8)), true), "");
  const Bytes longWav = bytesOf(audio_test::makeWav(1522, 1000, 1, 8));
  EXPECT_EQ(engine::soundFileProblem(longWav, true), "decodes to 256 MiB, past 256 MiB");
  EXPECT_EQ(engine::soundFileProblem(longWav), "") << "music is streamed";
}

// The length is the last whole page's sample position (what the decoder
// refuses is checked against the mixer itself in sdl_audio_test).
TEST(AudioProbe, OggVorbisLengthIsTheLastWholePagesPosition) {
  const std::string ogg = fileText(audio_test::oggFixturePath());
  ASSERT_GT(ogg.size(), 1000u);
  EXPECT_NEAR(*engine::soundFileLength(bytesOf(ogg)), 0.5, 1e-6);
  const auto cut = engine::oggVorbisLength(bytesOf(ogg.substr(0, ogg.size() - 100)));
  ASSERT_TRUE(cut);
  EXPECT_LT(*cut, 0.5);
  EXPECT_FALSE(engine::oggVorbisLength(bytesOf(ogg.substr(0, 200)))) << "cut inside the headers";
}

}  // namespace
