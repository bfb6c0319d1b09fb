// libFuzzer target: any bytes as a high-score file are accepted only when well-formed, and what is accepted survives a rewrite.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "stg/score_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const stg::ScoreFileRead read = stg::parseScoreFile(std::span<const unsigned char>(data, size));
  if (read.status != stg::ScoreFileStatus::Ok) {
    if (read.value != 0) std::abort();
    return 0;
  }
  const stg::ScoreFileRead again = stg::parseScoreFile(stg::encodeScoreFile(read.value));
  if (again.status != stg::ScoreFileStatus::Ok || again.value != read.value) std::abort();
  return 0;
}
