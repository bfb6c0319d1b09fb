// Headless drawing and textures: recorded quads, batching, the transform, PNG loading, locks, handles.
#include <climits>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/engine/hge_fixture.h"

namespace {

using engine::headless::recordedBatchCount;
using engine::headless::recordedQuads;

const char* fixturePng() {
  return VELMORA_TEST_DATA "/engine_rgba_3x2.png";
}

std::uint32_t crc32(const unsigned char* data, std::size_t size) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void putBe32(std::vector<unsigned char>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<unsigned char>(value >> shift));
}

void putChunk(std::vector<unsigned char>& png, std::vector<unsigned char> typeAndData) {
  putBe32(png, static_cast<std::uint32_t>(typeAndData.size() - 4));
  png.insert(png.end(), typeAndData.begin(), typeAndData.end());
  putBe32(png, crc32(typeAndData.data(), typeAndData.size()));
}

// A well-formed PNG head claiming [width] x [height] RGBA pixels, followed
// by a few bytes of image data: enough for the header to be read.
std::vector<unsigned char> pngHeaderOnly(std::uint32_t width, std::uint32_t height) {
  std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<unsigned char> header = {'I', 'H', 'D', 'R'};
  putBe32(header, width);
  putBe32(header, height);
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA, no interlace
  putChunk(png, header);
  putChunk(png, {'I', 'D', 'A', 'T', 0x78, 0x9C, 0x03, 0x00});
  putChunk(png, {'I', 'E', 'N', 'D'});
  return png;
}

// Draws [quad] in a scene of its own and returns the one recorded quad.
hgeQuad drawAlone(HGE* hge, const hgeQuad& quad) {
  hge->Gfx_BeginScene(0);
  hge->Gfx_RenderQuad(&quad);
  hge->Gfx_EndScene();
  EXPECT_EQ(recordedQuads().size(), 1u);
  return recordedQuads().empty() ? hgeQuad{} : recordedQuads()[0];
}

TEST_F(HgeTest, QuadsBatchBySameTextureAndBlendInSubmissionOrder) {
  initiate();
  HTEXTURE a = hge_->Texture_Create(4, 4);
  HTEXTURE b = hge_->Texture_Create(4, 4);
  struct Step {
    HTEXTURE tex;
    int blend;
  };
  // Runs: a/2 x3 (0x12 masks to 2), a/3, untextured x2, b/2, a/2  => 5 batches.
  const Step steps[] = {{a, 2}, {a, 2}, {a, 0x12}, {a, 3}, {0, 2}, {0, 2}, {b, 2}, {a, 2}};
  ASSERT_TRUE(hge_->Gfx_BeginScene(0));
  for (int i = 0; i < 8; ++i) {
    hgeQuad q = makeQuad(float(i), 0, float(i) + 1, 1, steps[i].tex, steps[i].blend);
    hge_->Gfx_RenderQuad(&q);
    // Looking mid-scene sees the scene so far and splits no batch.
    if (i == 1) {
      EXPECT_EQ(recordedQuads().size(), 2u);
    }
  }
  hge_->Gfx_EndScene();
  const auto& quads = recordedQuads();
  ASSERT_EQ(quads.size(), 8u);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(quads[i].v[0].x, float(i)) << "order changed at " << i;
    EXPECT_EQ(quads[i].tex, steps[i].tex);
    EXPECT_EQ(quads[i].blend, steps[i].blend & 7);
  }
  EXPECT_EQ(recordedBatchCount(), 5);

  // A new scene starts a new recording.
  ASSERT_TRUE(hge_->Gfx_BeginScene(0));
  EXPECT_TRUE(recordedQuads().empty());
  hge_->Gfx_EndScene();
}

TEST_F(HgeTest, StaleTextureDrawsUntexturedInTheUntexturedBatch) {
  initiate();
  HTEXTURE tex = hge_->Texture_Create(2, 2);
  hge_->Texture_Free(tex);
  ASSERT_TRUE(hge_->Gfx_BeginScene(0));
  hgeQuad plain = makeQuad(0, 0, 1, 1, 0);
  hgeQuad stale = makeQuad(1, 0, 2, 1, tex);
  hgeQuad unknown = makeQuad(2, 0, 3, 1, 0xDEADBEEF);
  hge_->Gfx_RenderQuad(&plain);
  hge_->Gfx_RenderQuad(&stale);
  hge_->Gfx_RenderQuad(&unknown);
  hge_->Gfx_RenderQuad(nullptr);
  hge_->Gfx_EndScene();
  ASSERT_EQ(recordedQuads().size(), 3u);
  EXPECT_EQ(recordedQuads()[1].tex, 0u);
  EXPECT_EQ(recordedQuads()[2].tex, 0u);
  EXPECT_EQ(recordedBatchCount(), 1);
}

TEST_F(HgeTest, DrawingOutsideASceneIsDropped) {
  hgeQuad q = makeQuad(0, 0, 10, 10);
  EXPECT_FALSE(hge_->Gfx_BeginScene(0)) << "no scene before System_Initiate";
  initiate();
  hge_->Gfx_RenderQuad(&q);  // before the scene
  ASSERT_TRUE(hge_->Gfx_BeginScene(0));
  EXPECT_FALSE(hge_->Gfx_BeginScene(0)) << "scenes do not nest";
  hge_->Gfx_RenderQuad(&q);
  hge_->Gfx_EndScene();
  hge_->Gfx_RenderQuad(&q);  // after it
  EXPECT_EQ(recordedQuads().size(), 1u);
  EXPECT_FALSE(hge_->Gfx_BeginScene(5)) << "render targets are not offered";
}

TEST_F(HgeTest, ClearRecordsItsColourAlsoOutsideAScene) {
  initiate();
  hge_->Gfx_Clear(0xFF123456);
  EXPECT_EQ(engine::headless::lastClearColor(), 0xFF123456u);
}

TEST_F(HgeTest, TransformAppliesToLaterQuadsAndPersistsUntilCleared) {
  initiate();
  hge_->Gfx_SetTransform(0, 0, 10, 5, 0, 1, 1);
  hgeQuad r = drawAlone(hge_, makeQuad(1, 2, 3, 4));
  EXPECT_FLOAT_EQ(r.v[0].x, 11);
  EXPECT_FLOAT_EQ(r.v[0].y, 7);
  EXPECT_FLOAT_EQ(r.v[2].x, 13);
  EXPECT_FLOAT_EQ(r.v[2].y, 9);

  // Still in force in the next scene.
  r = drawAlone(hge_, makeQuad(1, 2, 3, 4));
  EXPECT_FLOAT_EQ(r.v[0].x, 11);

  // Scale 2 and a quarter turn (clockwise on screen) about (100, 100).
  hge_->Gfx_SetTransform(100, 100, 0, 0, 3.14159265f / 2, 2, 2);
  r = drawAlone(hge_, makeQuad(110, 100, 120, 110));
  EXPECT_NEAR(r.v[0].x, 100, 1e-3);
  EXPECT_NEAR(r.v[0].y, 120, 1e-3);
  EXPECT_NEAR(r.v[2].x, 80, 1e-3);
  EXPECT_NEAR(r.v[2].y, 140, 1e-3);

  hge_->Gfx_SetTransform();
  r = drawAlone(hge_, makeQuad(1, 2, 3, 4));
  EXPECT_FLOAT_EQ(r.v[0].x, 1);
  EXPECT_FLOAT_EQ(r.v[0].y, 2);
}

TEST_F(HgeTest, PngLoadsAtItsExactSizeWithStraightAlpha) {
  HTEXTURE tex = hge_->Texture_Load(fixturePng());
  ASSERT_NE(tex, 0u);
  EXPECT_EQ(hge_->Texture_GetWidth(tex), 3);
  EXPECT_EQ(hge_->Texture_GetHeight(tex), 2);
  EXPECT_EQ(hge_->Texture_GetWidth(tex, true), 3);
  EXPECT_EQ(hge_->Texture_GetHeight(tex, true), 2);
  DWORD* p = hge_->Texture_Lock(tex, true);
  ASSERT_NE(p, nullptr);
  const DWORD expected[6] = {0xFFFF0000, 0x8000FF00, 0x000000FF, 0xFFFFFFFF, 0xFF000000, 0x40102030};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(p[i], expected[i]) << "pixel " << i;
  hge_->Texture_Unlock(tex);

  // The same bytes from memory.
  std::ifstream in(fixturePng(), std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  HTEXTURE fromMemory = hge_->Texture_Load(bytes.data(), static_cast<DWORD>(bytes.size()));
  ASSERT_NE(fromMemory, 0u);
  EXPECT_EQ(hge_->Texture_GetWidth(fromMemory), 3);
}

TEST_F(HgeTest, BrokenOrMissingImagesGiveNoTexture) {
  ScopedTempDir dir;
  dir.write("notpng.png", "this is not an image");
  dir.write("short.png", std::string("\x89PNG\r\n\x1a\n", 8));
  EXPECT_EQ(hge_->Texture_Load("missing.png"), 0u);
  EXPECT_EQ(hge_->Texture_Load("notpng.png"), 0u);
  EXPECT_EQ(hge_->Texture_Load("short.png"), 0u);
  EXPECT_EQ(hge_->Texture_Load(nullptr), 0u);
  EXPECT_EQ(hge_->Texture_Create(0, 5), 0u);
  EXPECT_EQ(hge_->Texture_Create(5, -1), 0u);

  // A header claiming a huge image is refused before pixel memory is taken.
  std::vector<unsigned char> huge = pngHeaderOnly(1000000, 1000000);
  EXPECT_EQ(hge_->Texture_Load(reinterpret_cast<const char*>(huge.data()), static_cast<DWORD>(huge.size())), 0u);
}

TEST_F(HgeTest, CreatedTextureIsZeroFilledAndLockUnlockRoundTrips) {
  HTEXTURE tex = hge_->Texture_Create(4, 3);
  ASSERT_NE(tex, 0u);
  DWORD* p = hge_->Texture_Lock(tex, false);
  ASSERT_NE(p, nullptr);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(p[i], 0u);
  EXPECT_EQ(hge_->Texture_Lock(tex, true), nullptr) << "already locked";
  for (int i = 0; i < 12; ++i) p[i] = 0xAA000000u + i;
  hge_->Texture_Unlock(tex);

  // A region lock points at its top-left pixel, pitch = width.
  DWORD* region = hge_->Texture_Lock(tex, true, 1, 2, 2, 1);
  ASSERT_NE(region, nullptr);
  EXPECT_EQ(region[0], 0xAA000000u + 9);
  EXPECT_EQ(region[1], 0xAA000000u + 10);
  hge_->Texture_Unlock(tex);
  EXPECT_EQ(hge_->Texture_Lock(tex, true, 3, 0, 2, 1), nullptr) << "region past the right edge";
  EXPECT_EQ(hge_->Texture_Lock(tex, true, INT_MAX, 0, 1, 1), nullptr) << "left + width overflows";
  EXPECT_EQ(hge_->Texture_Lock(tex, true, 0, 1, 1, INT_MAX), nullptr) << "top + height overflows";
}

TEST_F(HgeTest, FreedHandlesAreHarmlessAndNeverReused) {
  HTEXTURE first = hge_->Texture_Create(2, 2);
  hge_->Texture_Free(first);
  hge_->Texture_Free(first);
  hge_->Texture_Free(0);
  EXPECT_EQ(hge_->Texture_GetWidth(first), 0);
  EXPECT_EQ(hge_->Texture_Lock(first), nullptr);
  hge_->Texture_Unlock(first);
  HTEXTURE second = hge_->Texture_Create(2, 2);
  EXPECT_NE(second, first);
  // Nor by a later engine object in the same process.
  recreate();
  HTEXTURE third = hge_->Texture_Create(2, 2);
  EXPECT_NE(third, first);
  EXPECT_NE(third, second);
  EXPECT_EQ(hge_->Texture_GetWidth(second), 0);
}

}  // namespace
