// Playing time of a WAV or MP3 file, read from its headers without an audio device.
#pragma once

#include <optional>
#include <span>

namespace engine {

// Seconds of sound held in [bytes], a whole WAV or MP3 file. Empty when the
// data is neither, or too damaged to tell. The silent device trusts this
// alone, so a file it cannot measure fails to load there.
std::optional<double> soundFileLength(std::span<const unsigned char> bytes);

// The parts, for tests.
std::optional<double> wavLength(std::span<const unsigned char> bytes);
std::optional<double> mp3Length(std::span<const unsigned char> bytes);

}  // namespace engine
