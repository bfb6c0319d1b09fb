#!/bin/sh
# Regenerates tests/data/tone_half_s.ogg: half a second of a 440 Hz tone, 22050 Hz mono, Ogg Vorbis
# at the lowest quality. Needs cc and libvorbis-dev; the result is committed, so builds never run this.
set -eu
cd "$(dirname "$0")/.."
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
cat >"$tmp/tone.c" <<'C'
#include <math.h>
#include <stdio.h>
#include <vorbis/vorbisenc.h>

static void writePages(ogg_stream_state* os, FILE* out, int flush) {
  ogg_page page;
  while (flush ? ogg_stream_flush(os, &page) : ogg_stream_pageout(os, &page)) {
    fwrite(page.header, 1, page.header_len, out);
    fwrite(page.body, 1, page.body_len, out);
  }
}

int main(int argc, char** argv) {
  const int rate = 22050, frames = rate / 2;
  FILE* out = fopen(argv[1], "wb");
  vorbis_info info;
  vorbis_info_init(&info);
  if (out == NULL || vorbis_encode_init_vbr(&info, 1, rate, 0.0f) != 0) return 1;
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block block;
  vorbis_block_init(&dsp, &block);
  ogg_stream_state os;
  ogg_stream_init(&os, 1);
  ogg_packet id, notes, setup, packet;
  vorbis_analysis_headerout(&dsp, &comment, &id, &notes, &setup);
  ogg_stream_packetin(&os, &id);
  ogg_stream_packetin(&os, &notes);
  ogg_stream_packetin(&os, &setup);
  writePages(&os, out, 1);
  float** samples = vorbis_analysis_buffer(&dsp, frames);
  for (int i = 0; i < frames; ++i) samples[0][i] = 0.25f * sinf(2 * 3.14159265f * 440 * i / rate);
  vorbis_analysis_wrote(&dsp, frames);
  vorbis_analysis_wrote(&dsp, 0);
  while (vorbis_analysis_blockout(&dsp, &block) == 1) {
    vorbis_analysis(&block, NULL);
    vorbis_bitrate_addblock(&block);
    while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
      ogg_stream_packetin(&os, &packet);
      writePages(&os, out, 0);
    }
  }
  writePages(&os, out, 1);
  return fclose(out) != 0;
}
C
cc "$tmp/tone.c" -o "$tmp/tone" -lvorbisenc -lvorbis -logg -lm
"$tmp/tone" tests/data/tone_half_s.ogg
