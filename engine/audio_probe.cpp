// Reads the playing time of WAV, MP3 and Ogg Vorbis files from their headers.
#include "engine/audio_probe.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include <vorbis/codec.h>

namespace engine {
namespace {

using Bytes = std::span<const unsigned char>;

std::uint32_t le16(Bytes b, std::size_t at) { return b[at] | (b[at + 1] << 8); }
std::uint32_t le32(Bytes b, std::size_t at) { return le16(b, at) | (le16(b, at + 2) << 16); }
std::uint32_t be32(Bytes b, std::size_t at) {
  return (std::uint32_t(b[at]) << 24) | (b[at + 1] << 16) | (b[at + 2] << 8) | b[at + 3];
}
bool tagAt(Bytes b, std::size_t at, const char* tag) {
  return at + 4 <= b.size() && std::memcmp(b.data() + at, tag, 4) == 0;
}

// Formats whose every frame is blockAlign bytes: PCM, IEEE float, A-law,
// mu-law and the extensible wrapper (which only carries these in practice).
bool isFixedFrameFormat(std::uint32_t tag) {
  return tag == 1 || tag == 3 || tag == 6 || tag == 7 || tag == 0xFFFE;
}

struct WavInfo {
  bool hasFormat = false;
  std::uint32_t format = 0, channels = 0, rate = 0, byteRate = 0, blockAlign = 0, bits = 0;
  std::optional<std::uint32_t> factSamples;
  std::optional<std::size_t> dataSize;
};

// One MPEG audio frame header.
struct MpegFrame {
  int version = 0;  // 1 = MPEG-1, 2 = MPEG-2, 25 = MPEG-2.5
  int layer = 0;
  int sampleRate = 0;
  int samples = 0;  // per frame
  std::size_t length = 0;
  bool mono = false;
};

std::optional<MpegFrame> parseFrameHeader(Bytes b, std::size_t at) {
  if (at + 4 > b.size() || b[at] != 0xFF || (b[at + 1] & 0xE0) != 0xE0) return std::nullopt;
  static constexpr int kBitrates[5][16] = {
      {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},  // V1 L1
      {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},     // V1 L2
      {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},      // V1 L3
      {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},     // V2 L1
      {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},          // V2 L2, L3
  };
  static constexpr int kRates[3] = {44100, 48000, 32000};
  const int versionBits = (b[at + 1] >> 3) & 3;
  const int layerBits = (b[at + 1] >> 1) & 3;
  const int bitrateIndex = b[at + 2] >> 4;
  const int rateIndex = (b[at + 2] >> 2) & 3;
  // Free-format bitrate (index 0) has no length in the header: not supported.
  if (versionBits == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 ||
      rateIndex == 3) {
    return std::nullopt;
  }
  MpegFrame f;
  f.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
  f.layer = 4 - layerBits;
  f.sampleRate = kRates[rateIndex] / (f.version == 1 ? 1 : f.version == 2 ? 2 : 4);
  const int row = f.version == 1 ? f.layer - 1 : (f.layer == 1 ? 3 : 4);
  const long bitrate = kBitrates[row][bitrateIndex] * 1000L;
  const int padding = (b[at + 2] >> 1) & 1;
  f.mono = (b[at + 3] >> 6) == 3;
  if (f.layer == 1) {
    f.samples = 384;
    f.length = (12 * bitrate / f.sampleRate + padding) * 4;
  } else {
    f.samples = (f.layer == 3 && f.version != 1) ? 576 : 1152;
    f.length = f.samples / 8 * bitrate / f.sampleRate + padding;
  }
  return f;
}

std::size_t skipId3v2(Bytes b) {
  if (b.size() < 10 || std::memcmp(b.data(), "ID3", 3) != 0) return 0;
  const std::size_t size = (std::size_t(b[6] & 0x7F) << 21) | ((b[7] & 0x7F) << 14) |
                           ((b[8] & 0x7F) << 7) | (b[9] & 0x7F);
  return 10 + size + ((b[5] & 0x10) ? 10 : 0);
}

// The first frame: a header followed by another header (or ending the data
// exactly), so stray 0xFF bytes are not taken for a frame. Only the start of
// the data is searched: other files must not pass for MP3.
std::optional<std::size_t> findFirstFrame(Bytes b, std::size_t from) {
  constexpr std::size_t kSearchWindow = 4096;
  for (std::size_t at = from; at + 4 <= b.size() && at < from + kSearchWindow; ++at) {
    const auto f = parseFrameHeader(b, at);
    if (!f) continue;
    const std::size_t next = at + f->length;
    if (next == b.size() || parseFrameHeader(b, next)) return at;
  }
  return std::nullopt;
}

// Frame count from a Xing/Info or VBRI header in the first frame, and the
// encoder delay plus padding from a LAME tag (decoders drop those samples).
struct VbrInfo {
  std::uint32_t frames = 0;
  std::uint32_t trimmed = 0;
};

std::optional<VbrInfo> readVbrHeader(Bytes b, std::size_t at, const MpegFrame& f) {
  const std::size_t sideInfo = f.version == 1 ? (f.mono ? 17 : 32) : (f.mono ? 9 : 17);
  std::size_t x = at + 4 + sideInfo;
  if (tagAt(b, x, "Xing") || tagAt(b, x, "Info")) {
    if (x + 8 > b.size()) return std::nullopt;
    const std::uint32_t flags = be32(b, x + 4);
    if (!(flags & 1) || x + 12 > b.size()) return std::nullopt;
    VbrInfo info{be32(b, x + 8), 0};
    std::size_t tag = x + 12 + ((flags & 2) ? 4 : 0) + ((flags & 4) ? 100 : 0) + ((flags & 8) ? 4 : 0);
    if ((tagAt(b, tag, "LAME") || tagAt(b, tag, "Lavc") || tagAt(b, tag, "Lavf")) &&
        tag + 24 <= b.size()) {
      const std::uint32_t packed = (b[tag + 21] << 16) | (b[tag + 22] << 8) | b[tag + 23];
      info.trimmed = (packed >> 12) + (packed & 0xFFF);
    }
    return info;
  }
  x = at + 36;
  if (tagAt(b, x, "VBRI") && x + 18 <= b.size()) return VbrInfo{be32(b, x + 14), 0};
  return std::nullopt;
}

// The format and sizes of a RIFF WAVE file; empty for other data.
std::optional<WavInfo> readWav(Bytes b) {
  if (b.size() < 12 || !tagAt(b, 0, "RIFF") || !tagAt(b, 8, "WAVE")) return std::nullopt;
  WavInfo w;
  for (std::size_t at = 12; at + 8 <= b.size();) {
    const std::size_t size = le32(b, at + 4);
    const std::size_t body = at + 8;
    if (tagAt(b, at, "fmt ") && size >= 16 && body + 16 <= b.size()) {
      w.hasFormat = true;
      w.format = le16(b, body);
      w.channels = le16(b, body + 2);
      w.rate = le32(b, body + 4);
      w.byteRate = le32(b, body + 8);
      w.blockAlign = le16(b, body + 12);
      w.bits = le16(b, body + 14);
    } else if (tagAt(b, at, "fact") && size >= 4 && body + 4 <= b.size()) {
      w.factSamples = le32(b, body);
    } else if (tagAt(b, at, "data")) {
      // Writers that stream often leave the size unset: take what is there.
      w.dataSize = std::min(size, b.size() - body);
      break;
    }
    if (size > b.size() - body) break;
    at = body + size + (size & 1);
  }
  return w;
}

// The mixer converts to 44100 Hz: a rate far below multiplies memory by
// the ratio (1 Hz made a 22 KB file 1.8 GB), and it refuses rates far above.
constexpr std::uint32_t kMinRate = 1000, kMaxRate = 384000;

std::string rateProblem(const char* format, std::uint64_t rate) {
  if (rate >= kMinRate && rate <= kMaxRate) return {};
  return std::string(format) + " sample rate " + std::to_string(rate) + " Hz is outside " +
         std::to_string(kMinRate) + "-" + std::to_string(kMaxRate) + " Hz";
}

std::string wavProblem(const WavInfo& w) {
  if (!w.hasFormat) return "WAV without a format chunk";
  const auto zero = w.channels == 0 ? "channels" : w.rate == 0 ? "sample rate" : w.blockAlign == 0 ? "block align"
                    : w.bits == 0 ? "bits per sample" : nullptr;
  if (zero) return std::string("WAV format with 0 ") + zero;
  if (auto rate = rateProblem("WAV", w.rate); !rate.empty()) return rate;
  if (!isFixedFrameFormat(w.format)) return {};
  const std::uint64_t frame = std::uint64_t(w.channels) * ((w.bits + 7) / 8);
  if (w.blockAlign != frame) {
    return "WAV block align " + std::to_string(w.blockAlign) + " is not " + std::to_string(w.channels) +
           " channels of " + std::to_string(w.bits) + " bits";
  }
  if (w.byteRate != std::uint64_t(w.rate) * w.blockAlign) {
    return "WAV byte rate " + std::to_string(w.byteRate) + " is not " + std::to_string(w.rate) + " Hz of " +
           std::to_string(w.blockAlign) + "-byte frames";
  }
  return {};
}

// ---- Ogg Vorbis ----

// The Ogg page checksum: CRC-32 of polynomial 0x04C11DB7, unreflected, seed 0.
constexpr std::array<std::uint32_t, 256> kOggCrc = [] {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t r = i << 24;
    for (int k = 0; k < 8; ++k) r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
    table[i] = r;
  }
  return table;
}();

struct OggPage {
  std::size_t segments = 0;  // offset of the lacing values
  int count = 0;             // how many
  std::size_t body = 0;
  std::size_t end = 0;
  std::uint8_t type = 0;  // 1 continued packet, 2 first page, 4 last page
  std::uint64_t granule = 0;
  std::uint32_t serial = 0;
};

// The page at [at], when whole and its checksum holds (the decoder skips
// any other).
std::optional<OggPage> readOggPage(Bytes b, std::size_t at) {
  if (!tagAt(b, at, "OggS") || b.size() - at < 27 || b[at + 4] != 0) return std::nullopt;
  OggPage page;
  page.type = b[at + 5];
  page.granule = le32(b, at + 6) | (std::uint64_t(le32(b, at + 10)) << 32);
  page.serial = le32(b, at + 14);
  page.segments = at + 27;
  page.count = b[at + 26];
  page.body = page.segments + page.count;
  if (page.body > b.size()) return std::nullopt;
  std::size_t length = 0;
  for (int i = 0; i < page.count; ++i) length += b[page.segments + i];
  if (length > b.size() - page.body) return std::nullopt;
  page.end = page.body + length;
  std::uint32_t crc = 0;
  for (std::size_t i = at; i < page.end; ++i) {
    const std::uint8_t byte = (i >= at + 22 && i < at + 26) ? 0 : b[i];
    crc = (crc << 8) ^ kOggCrc[((crc >> 24) ^ byte) & 0xFF];
  }
  if (crc != le32(b, at + 22)) return std::nullopt;
  return page;
}

struct VorbisHeaders {
  std::uint32_t rate = 0;
  std::uint64_t shortBlock = 0;
};

// The three headers read by the decoder's own library, so that a file
// refused by the player is refused here too, a broken setup header included.
std::optional<VorbisHeaders> readVorbisHeaders(std::vector<std::vector<unsigned char>>& headers) {
  vorbis_info info;
  vorbis_comment comment;
  vorbis_info_init(&info);
  vorbis_comment_init(&comment);
  bool whole = true;
  for (std::size_t i = 0; i < headers.size() && whole; ++i) {
    ogg_packet packet{};
    packet.packet = headers[i].data();
    packet.bytes = long(headers[i].size());
    packet.b_o_s = i == 0;
    packet.packetno = ogg_int64_t(i);
    whole = vorbis_synthesis_headerin(&info, &comment, &packet) == 0;
  }
  std::optional<VorbisHeaders> read;
  if (whole) read = VorbisHeaders{std::uint32_t(info.rate), std::uint64_t(vorbis_info_blocksize(&info, 0))};
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return read;
}

// The first three packets of the stream that opens the file (its headers).
std::vector<std::vector<unsigned char>> oggHeaders(Bytes b, const OggPage& first) {
  std::vector<std::vector<unsigned char>> packets(1);
  bool open = false;  // the last packet goes on in the next page
  std::optional<OggPage> page = first;
  for (std::size_t at = 0; page; page = readOggPage(b, at)) {
    at = page->end;
    if (page->serial != first.serial) continue;
    // A page that says it continues a packet where none is open (or the reverse) is broken.
    if (bool(page->type & 1) != open) return {};
    std::size_t data = page->body;
    for (int i = 0; i < page->count; ++i) {
      const std::size_t n = b[page->segments + i];
      packets.back().insert(packets.back().end(), b.begin() + data, b.begin() + data + n);
      data += n;
      open = n == 255;
      if (open) continue;
      if (packets.size() == 3) return packets;
      packets.emplace_back();
    }
  }
  return {};
}

// The frames one after another from [first] (a trailing ID3v1 tag or junk
// ends the walk): what the decoder plays, whatever an index claims.
double walkedMp3Seconds(Bytes b, std::size_t first) {
  double seconds = 0;
  std::size_t at = first;
  while (const auto f = parseFrameHeader(b, at)) {
    if (at + f->length > b.size()) break;
    seconds += double(f->samples) / f->sampleRate;
    at += f->length;
  }
  return seconds;
}

struct OggVorbis {
  std::uint32_t rate = 0;
  std::uint64_t lastGranule = 0;
  // The decoder yields at least half a short block for every audio packet
  // after the first, whatever the pages' sample positions claim.
  std::uint64_t leastDecoded = 0;
};

std::optional<OggVorbis> readOggVorbis(Bytes b) {
  const auto first = readOggPage(b, 0);
  if (!first || !(first->type & 2)) return std::nullopt;
  auto headers = oggHeaders(b, *first);
  if (headers.size() != 3) return std::nullopt;
  const auto vorbis = readVorbisHeaders(headers);
  if (!vorbis) return std::nullopt;
  OggVorbis ogg;
  ogg.rate = vorbis->rate;
  // The last whole page of the stream tells how many samples came before
  // its end; damaged stretches are skipped to the next page, as the decoder does.
  std::uint64_t packets = 0;
  for (std::size_t at = first->end; at < b.size();) {
    const auto page = readOggPage(b, at);
    if (!page) {
      const auto next = std::search(b.begin() + at + 1, b.end(), "OggS", "OggS" + 4);
      at = std::size_t(next - b.begin());
      continue;
    }
    if (page->serial == first->serial) {
      if (page->granule != ~std::uint64_t(0)) ogg.lastGranule = page->granule;
      for (int i = 0; i < page->count; ++i) packets += b[page->segments + i] < 255;
    }
    at = page->end;
  }
  const std::uint64_t audioPackets = packets > 2 ? packets - 2 : 0;  // less the comment and setup headers
  ogg.leastDecoded = audioPackets > 1 ? (audioPackets - 1) * vorbis->shortBlock / 2 : 0;
  return ogg;
}

// The seconds the mixer decodes when it takes the whole file at once.
std::optional<double> decodedSeconds(Bytes b) {
  if (tagAt(b, 0, "OggS")) {
    const auto ogg = readOggVorbis(b);
    if (!ogg) return std::nullopt;
    return double(std::max(ogg->lastGranule, ogg->leastDecoded)) / ogg->rate;
  }
  if (tagAt(b, 0, "RIFF")) return wavLength(b);
  const auto indexed = mp3Length(b);
  if (!indexed) return std::nullopt;
  return std::max(*indexed, walkedMp3Seconds(b, *findFirstFrame(b, skipId3v2(b))));
}

}  // namespace

std::optional<double> wavLength(Bytes b) {
  const auto w = readWav(b);
  if (!w || !w->dataSize || w->rate == 0) return std::nullopt;
  if (isFixedFrameFormat(w->format) && w->blockAlign > 0) {
    return double(*w->dataSize / w->blockAlign) / w->rate;
  }
  if (w->factSamples) return double(*w->factSamples) / w->rate;
  if (w->byteRate > 0) return double(*w->dataSize) / w->byteRate;
  return std::nullopt;
}

std::optional<double> mp3Length(Bytes b) {
  const auto first = findFirstFrame(b, skipId3v2(b));
  if (!first) return std::nullopt;
  const MpegFrame head = *parseFrameHeader(b, *first);
  if (const auto vbr = readVbrHeader(b, *first, head)) {
    const double samples = double(vbr->frames) * head.samples;
    const double trimmed = samples > vbr->trimmed ? samples - vbr->trimmed : samples;
    return trimmed / head.sampleRate;
  }
  const double seconds = walkedMp3Seconds(b, *first);
  if (seconds <= 0) return std::nullopt;
  return seconds;
}

std::optional<double> oggVorbisLength(Bytes b) {
  const auto ogg = readOggVorbis(b);
  if (!ogg) return std::nullopt;
  return double(ogg->lastGranule) / ogg->rate;
}

std::optional<double> soundFileLength(Bytes bytes) {
  if (tagAt(bytes, 0, "RIFF")) return wavLength(bytes);
  if (tagAt(bytes, 0, "OggS")) return oggVorbisLength(bytes);
  return mp3Length(bytes);
}

std::string soundFileProblem(Bytes bytes, bool decodedWhole) {
  if (const auto wav = readWav(bytes)) {
    if (auto problem = wavProblem(*wav); !problem.empty()) return problem;
  } else if (tagAt(bytes, 0, "OggS")) {
    if (const auto ogg = readOggVorbis(bytes)) {
      if (auto problem = rateProblem("Ogg Vorbis", ogg->rate); !problem.empty()) return problem;
    }
  }
  if (!decodedWhole) return {};
  const auto seconds = decodedSeconds(bytes);
  if (!seconds) return {};
  const double mib = *seconds * kMixerBytesPerSecond / (1 << 20);
  if (mib <= double(kDecodedByteLimit >> 20)) return {};
  return "decodes to " + std::to_string(std::uint64_t(mib)) + " MiB, past " +
         std::to_string(kDecodedByteLimit >> 20) + " MiB";
}

}  // namespace engine
