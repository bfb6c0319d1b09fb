// Playing time of a WAV, MP3 or Ogg Vorbis file, read from its headers without an audio device.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>

namespace engine {

// Seconds of sound held in [bytes], a whole WAV, MP3 or Ogg Vorbis file.
// Empty when the data is none of these, or too damaged to tell. The silent
// device trusts this alone, so a file it cannot measure fails to load there.
std::optional<double> soundFileLength(std::span<const unsigned char> bytes);

// What the mixer holds per second of a decoded effect (44100 Hz stereo,
// 16 bits), and the most an effect may decode to: far above any content.
inline constexpr double kMixerBytesPerSecond = 44100.0 * 2 * 2;
inline constexpr std::size_t kDecodedByteLimit = std::size_t(256) << 20;

// Why [bytes] must not reach the mixer, "" when its headers show nothing
// wrong: a WAV without a format, with 0 channels, rate, block align or bits,
// or whose block align or byte rate disagree with them (the mixer divides
// by these); a WAV or Ogg Vorbis rate outside 1000-384000 Hz; and, when
// [decodedWhole] (an effect), sound that decodes past kDecodedByteLimit.
// Told apart from "cannot measure", which the window may still play.
std::string soundFileProblem(std::span<const unsigned char> bytes, bool decodedWhole = false);

// The parts, for tests.
std::optional<double> wavLength(std::span<const unsigned char> bytes);
std::optional<double> mp3Length(std::span<const unsigned char> bytes);
// Checks the three Vorbis headers as the decoder reads them and takes the
// last page's sample position.
std::optional<double> oggVorbisLength(std::span<const unsigned char> bytes);

}  // namespace engine
