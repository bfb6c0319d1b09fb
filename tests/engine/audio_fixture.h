// Sound files made at run time for the audio tests.
#pragma once

#include <cstdint>
#include <string>

namespace audio_test {

// A PCM WAV of [seconds] of a quiet tone. Extra chunks before "data"
// (a LIST chunk of odd size) check that readers skip them properly.
inline std::string makeWav(double seconds, int rate = 22050, int channels = 1, int bits = 16,
                           bool extraChunk = false) {
  auto put16 = [](std::string& s, std::uint32_t v) {
    s += char(v & 0xFF);
    s += char((v >> 8) & 0xFF);
  };
  auto put32 = [&](std::string& s, std::uint32_t v) {
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
  };
  const std::uint32_t frames = static_cast<std::uint32_t>(seconds * rate + 0.5);
  const std::uint32_t blockAlign = channels * bits / 8;
  std::string data;
  for (std::uint32_t i = 0; i < frames * channels; ++i) {
    const int sample = (i / channels) % 50 < 25 ? 1000 : -1000;
    if (bits == 8) {
      data += char(128 + sample / 256);
    } else {
      put16(data, static_cast<std::uint16_t>(sample));
    }
  }
  std::string body = "WAVE";
  body += "fmt ";
  put32(body, 16);
  put16(body, 1);
  put16(body, channels);
  put32(body, rate);
  put32(body, rate * blockAlign);
  put16(body, blockAlign);
  put16(body, bits);
  if (extraChunk) {
    body += "LIST";
    put32(body, 5);
    body += "INFOx";
    body += '\0';  // pad byte of the odd-sized chunk
  }
  body += "data";
  put32(body, static_cast<std::uint32_t>(data.size()));
  body += data;
  std::string file = "RIFF";
  put32(file, static_cast<std::uint32_t>(body.size()));
  return file + body;
}

// The committed MP3 fixture: one second of tone (tools/make_test_mp3.sh).
inline std::string mp3FixturePath() { return std::string(VELMORA_TEST_DATA) + "/tone_1s.mp3"; }

}  // namespace audio_test
