// Draws the engine's quad batches with OpenGL 2.1 (GLSL 1.20), the level Mesa's llvmpipe offers everywhere.
#pragma once

#include <string>
#include <vector>

#include "engine/hge.h"
#include "engine/textures.h"

namespace engine::sdl {

// Needs a current GL context for its whole life. Coordinates are the
// game's screen: [width] x [height], origin top-left, y down.
class GlRenderer {
 public:
  [[nodiscard]] bool init(int width, int height, bool filter, std::string& error);
  // Deletes every GL object, the device names in [textures] included.
  void shutdown(TextureStore& textures);
  // The window's drawable size in pixels; the screen is stretched to it.
  void setViewport(int pixelWidth, int pixelHeight);

  void clear(DWORD color);
  // Queues the quads; they reach GL at the next flush, in order.
  void draw(Texture* texture, int blend, const hgeVertex* vertices, int quads);
  // Uploads every queued vertex at once and issues the queued draws. Call it
  // before a texture's pixels change, so queued draws show the old ones.
  void flush();
  void release(Texture& texture);
  // The current back buffer as 0xFFRRGGBB words, top row first.
  void readPixels(std::vector<DWORD>& out, int& width, int& height);

 private:
  // One queued draw: quads [firstQuad, firstQuad + quads) of the staging buffer.
  struct Command {
    Texture* texture;
    int blend;
    int firstQuad;
    int quads;
  };

  void bindTexture(Texture* texture);
  void setBlend(int blend);
  void setMode(int mode);

  // Capacity kept across frames: no allocation per quad once warm.
  std::vector<hgeVertex> staging_;
  std::vector<Command> commands_;
  int currentMode_ = -1;

  unsigned program_ = 0;
  unsigned vertexBuffer_ = 0;
  unsigned indexBuffer_ = 0;
  int modeUniform_ = -1;
  int posAttrib_ = -1, colAttrib_ = -1, uvAttrib_ = -1;
  int pixelWidth_ = 0, pixelHeight_ = 0;
  bool filter_ = true;
  int currentBlend_ = -1;
};

}  // namespace engine::sdl
