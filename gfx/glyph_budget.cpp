// The glyph budget: a least-recently-drawn list of the caches that hold glyphs.
#include "gfx/glyph_budget.h"

namespace gfx {

GlyphCache::~GlyphCache() { GlyphBudget::instance().forget(*this); }

void GlyphCache::touch() { GlyphBudget::instance().touch(*this); }

void GlyphCache::charge(std::size_t bytes) { GlyphBudget::instance().charge(*this, bytes); }

void GlyphCache::forgetGlyphs() { GlyphBudget::instance().forget(*this); }

GlyphBudget& GlyphBudget::instance() {
  static GlyphBudget* budget = new GlyphBudget();
  return *budget;
}

void GlyphBudget::touch(GlyphCache& cache) {
  if (cache.listed_) recent_.splice(recent_.begin(), recent_, cache.place_);
}

void GlyphBudget::charge(GlyphCache& cache, std::size_t bytes) {
  if (!cache.listed_) {
    recent_.push_front(&cache);
    cache.place_ = recent_.begin();
    cache.listed_ = true;
  } else {
    touch(cache);
  }
  cache.bytes_ += bytes;
  used_ += bytes;
  trim(cache);
}

void GlyphBudget::forget(GlyphCache& cache) {
  if (!cache.listed_) return;
  recent_.erase(cache.place_);
  cache.listed_ = false;
  used_ -= cache.bytes_;
  cache.bytes_ = 0;
}

void GlyphBudget::trim(const GlyphCache& keep) {
  while (used_ > limit_ && !recent_.empty() && recent_.back() != &keep) {
    GlyphCache* oldest = recent_.back();
    forget(*oldest);
    oldest->releaseGlyphs();
  }
}

}  // namespace gfx
