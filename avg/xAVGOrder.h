// One step of a visual-novel scene: its kind, its parameters and its branch number.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The 51 order kinds; 50 is "no order" (unknown, skipped or cut out by IF).
enum class xAVGOrderType : std::int32_t {
#define ORDER_KIND(name, value, logName, count) name = value,
#include "avg/order_kinds.def"
#undef ORDER_KIND
};

struct xAVGOrder {
  // Parameters in the order written, bytes as in the file.
  std::vector<std::string> params;
  xAVGOrderType type = xAVGOrderType::NO_ORDER;
  // Frames counted while the order waits a number of frames.
  std::int32_t frameCount = 0;
  // -1 waits for nothing, -2 for the confirm key, >= 0 for that many frames,
  // -3 the selection menu takes input, below -3 the menu is fading in.
  std::int32_t waitState = -1;
  // Which if/else part the order belongs to: 1 after "if", +1 per "else",
  // 0 outside a block.
  std::int32_t branch = 0;
};

namespace avg {

inline constexpr int kOrderKindCount = 51;
// Parameter counts that are not a number (see order_kinds.def).
inline constexpr int kAnyCount = -1;
inline constexpr int kSelectCount = -2;

// The name that the player's log lines give [type] ("TEXT" for TEXTADD).
const char* orderKindName(xAVGOrderType type);
// The parameter count the player checks, kAnyCount or kSelectCount.
int orderParamCount(xAVGOrderType type);

}  // namespace avg
