// Sound files made at run time for the audio tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
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

// The whole of the file at [path] (empty if it cannot be read).
inline std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The committed MP3 fixture: one second of tone (tools/make_test_mp3.sh).
inline std::string mp3FixturePath() { return std::string(VELMORA_TEST_DATA) + "/tone_1s.mp3"; }

// The committed Ogg Vorbis fixture: half a second of tone at 22050 Hz mono
// (tools/make_test_ogg.sh). Its first page holds the identification header
// alone, from byte 28 on.
inline std::string oggFixturePath() { return std::string(VELMORA_TEST_DATA) + "/tone_half_s.ogg"; }
constexpr std::size_t kOggIdHeader = 28;

// Sets the checksum of the Ogg page at [at] of [file] again after an edit.
inline void resealOggPage(std::string& file, std::size_t at) {
  const std::size_t segments = static_cast<unsigned char>(file[at + 26]);
  std::size_t end = at + 27 + segments;
  for (std::size_t i = 0; i < segments; ++i) end += static_cast<unsigned char>(file[at + 27 + i]);
  for (int i = 22; i < 26; ++i) file[at + i] = 0;
  std::uint32_t crc = 0;
  for (std::size_t i = at; i < end; ++i) {
    crc ^= std::uint32_t(static_cast<unsigned char>(file[i])) << 24;
    for (int k = 0; k < 8; ++k) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
  }
  for (int i = 0; i < 4; ++i) file[at + 22 + i] = char((crc >> (8 * i)) & 0xFF);
}

// [ogg] with [value] written over its identification header from byte
// [field] on (11 the channels, 12 the rate, 28 the block sizes, 29 the
// framing bit), and its page resealed.
inline std::string withOggIdField(std::string ogg, std::size_t field, const std::string& value) {
  ogg.replace(kOggIdHeader + field, value.size(), value);
  resealOggPage(ogg, 0);
  return ogg;
}

// [wav] (as makeWav writes it) with the format field at [offset] of its
// format chunk set to [value] ([width] bytes): 0 the format tag, 2 the
// channels, 4 the rate, 8 the byte rate, 12 the block align, 14 the bits.
inline std::string withWavField(std::string wav, int offset, std::uint32_t value, int width = 2) {
  std::string bytes;
  for (int i = 0; i < width; ++i) bytes += char((value >> (8 * i)) & 0xFF);
  return wav.replace(std::size_t(20 + offset), bytes.size(), bytes);
}

}  // namespace audio_test
