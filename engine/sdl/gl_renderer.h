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
// its z, which a screen without depth does not use). A software rasteriser
// samples every unit the shader names for every pixel, so each draw uses the
// program with just as many units as it has textures, and large quads (the
// bulk of the pixels) go in draws of a single texture.
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
    bool solo;  // holds large quads: one texture at most
    Texture* textures[kMaxUnits];
  };

  // The unit of [texture] in the last command, adding it or starting a new
  // command as needed; -1 for untextured quads.
  int unitFor(Texture* texture, int blend, bool large);
  void bindTexture(Texture* texture);
  void setBlend(int blend);
  // Makes the program of [units] textures current, in [mode].
  void useProgram(int units, int mode);

  // Capacity kept across frames: no allocation per quad once warm.
  // Room for the most quads queued at once, taken at init (pages are
  // touched only as they fill); staged_ vertices are in use. z holds the
  // vertex's texture unit.
  std::unique_ptr<hgeVertex[]> staging_;
  size_t staged_ = 0;
  std::vector<Command> commands_;
  int unitCount_ = 1;
  unsigned boundName_[kMaxUnits] = {};  // GL texture name on each unit

  // Index u: the program sampling u + 1 units, its mode uniform and current mode.
  unsigned programs_[kMaxUnits] = {};
  int modeUniforms_[kMaxUnits] = {};
  int modes_[kMaxUnits] = {};
  int currentProgram_ = -1;
  unsigned vertexBuffer_ = 0;
  unsigned indexBuffer_ = 0;
  int pixelWidth_ = 0, pixelHeight_ = 0;
  bool filter_ = true;
  int currentBlend_ = -1;
};

}  // namespace engine::sdl
