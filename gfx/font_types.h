// Plain values the fonts share: a measured text size and the style of a bitmap font.
#pragma once

namespace gfx {

struct TextSize {
  int width = 0;
  int height = 0;
};

// Named flags, so a style cannot be passed in the wrong order.
struct FontStyle {
  bool bold = false;
  bool italic = false;
  bool antialias = true;
};

}  // namespace gfx
