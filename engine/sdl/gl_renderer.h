// Draws the engine's quad batches with OpenGL 2.1 (GLSL 1.20), the level Mesa's llvmpipe offers everywhere.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/hge.h"
#include "engine/textures.h"

namespace engine::sdl {

// Needs a current GL context for its whole life. Coordinates are the
// game's screen: [width] x [height], origin top-left, y down.
//
// Draw calls are what a GL driver charges for, so consecutive batches with
// the same blend share one draw even when their textures differ: each
// texture gets a texture unit and every vertex carries its unit number (in
// its z, which a screen without depth does not use).
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
  // At most this many textures per draw (fewer if the driver has fewer
  // units); the fragment shader has one sampler per unit.
  static constexpr int kMaxUnits = 8;

  // One queued draw: quads [firstQuad, firstQuad + quads) of the staging
  // buffer, with up to kMaxUnits textures and one blend.
  struct Command {
    int blend;
    int firstQuad;
    int quads;
    int textureCount;
    Texture* textures[kMaxUnits];
  };

  // The unit of [texture] in the last command, adding it or starting a new
  // command as needed; -1 for untextured quads.
  int unitFor(Texture* texture, int blend);
  void bindTexture(Texture* texture);
  void setBlend(int blend);
  void setMode(int mode);

  // Capacity kept across frames: no allocation per quad once warm.
  // Room for the most quads queued at once, taken at init (pages are
  // touched only as they fill); staged_ vertices are in use. z holds the
  // vertex's texture unit.
  std::unique_ptr<hgeVertex[]> staging_;
  size_t staged_ = 0;
  std::vector<Command> commands_;
  int currentMode_ = -1;
  int unitCount_ = 1;
  unsigned boundName_[kMaxUnits] = {};  // GL texture name on each unit

  unsigned program_ = 0;
  unsigned vertexBuffer_ = 0;
  unsigned indexBuffer_ = 0;
  int modeUniform_ = -1;
  int posAttrib_ = -1, colAttrib_ = -1, uvAttrib_ = -1, unitAttrib_ = -1;
  int pixelWidth_ = 0, pixelHeight_ = 0;
  bool filter_ = true;
  int currentBlend_ = -1;
};

}  // namespace engine::sdl
