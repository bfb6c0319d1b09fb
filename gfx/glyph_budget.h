// One byte budget for the glyph caches of every font: past it the caches drawn least recently are emptied.
#pragma once

#include <cstddef>
#include <list>

namespace gfx {

// A font's rasterised glyphs and their textures. Fonts live for the whole
// run and a script may ask for a new size every frame, so the glyphs of
// sizes no longer drawn must not stay: once all caches together pass the
// budget, the ones drawn least recently are emptied, and are rasterised
// again when drawn again. The cache being filled is never emptied for
// another's sake, so a text larger than the budget still draws.
class GlyphCache {
 public:
  GlyphCache() = default;
  virtual ~GlyphCache();
  GlyphCache(const GlyphCache&) = delete;
  GlyphCache& operator=(const GlyphCache&) = delete;

  // The bytes this cache holds by its own account.
  std::size_t glyphBytes() const { return bytes_; }

 protected:
  // Marks the cache as drawn now.
  void touch();
  // Adds [bytes] just taken for glyphs, then empties the least recently
  // drawn other caches while the total passes the budget.
  void charge(std::size_t bytes);
  // Frees every glyph and texture; the budget has already forgotten them.
  // The cache must stay usable: its next draw builds them again.
  virtual void releaseGlyphs() = 0;
  // Called by a cache that freed its glyphs itself.
  void forgetGlyphs();

 private:
  friend class GlyphBudget;
  std::size_t bytes_ = 0;
  bool listed_ = false;  // only caches holding bytes are in the budget's list
  std::list<GlyphCache*>::iterator place_;
};

class GlyphBudget {
 public:
  // Tens of thousands of glyphs at the sizes text boxes use.
  static constexpr std::size_t kDefaultBytes = std::size_t(32) << 20;

  // Kept to the end of the process: caches go in static destructors.
  static GlyphBudget& instance();
  std::size_t used() const { return used_; }
  std::size_t limit() const { return limit_; }
  // Tests: a smaller budget; kDefaultBytes restores it. Takes effect at the
  // next charge.
  void setLimitForTests(std::size_t bytes) { limit_ = bytes; }

 private:
  friend class GlyphCache;
  void touch(GlyphCache& cache);
  void charge(GlyphCache& cache, std::size_t bytes);
  void forget(GlyphCache& cache);
  void trim(const GlyphCache& keep);

  std::list<GlyphCache*> recent_;  // most recently drawn first
  std::size_t used_ = 0;
  std::size_t limit_ = kDefaultBytes;
};

}  // namespace gfx
