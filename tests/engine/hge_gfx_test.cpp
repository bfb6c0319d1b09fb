// Headless drawing and textures: recorded quads, batching, the transform, PNG loading, locks, handles, no memory.
#include <climits>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>
#include <zlib.h>

#include "engine/platform.h"
#include "tests/engine/child_fixture.h"
#include "tests/engine/hge_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

using engine::headless::recordedBatchCount;
using engine::headless::recordedQuads;

const char* fixturePng() {
  return VELMORA_TEST_DATA "/engine_rgba_3x2.png";
}

void putBe32(std::vector<unsigned char>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<unsigned char>(value >> shift));
}

void putChunk(std::vector<unsigned char>& png, std::vector<unsigned char> typeAndData) {
  putBe32(png, static_cast<std::uint32_t>(typeAndData.size() - 4));
  png.insert(png.end(), typeAndData.begin(), typeAndData.end());
  putBe32(png, static_cast<std::uint32_t>(::crc32(0, typeAndData.data(), static_cast<uInt>(typeAndData.size()))));
}

// The signature and header of a PNG of [width] x [height] samples of [depth] bits in colour [type].
std::vector<unsigned char> pngHead(std::uint32_t width, std::uint32_t height, int depth = 8, int type = 6,
                                   int interlace = 0) {
  std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<unsigned char> header = {'I', 'H', 'D', 'R'};
  putBe32(header, width);
  putBe32(header, height);
  header.insert(header.end(), {static_cast<unsigned char>(depth), static_cast<unsigned char>(type), 0, 0,
                               static_cast<unsigned char>(interlace)});
  putChunk(png, header);
  return png;
}

// A well-formed PNG head claiming [width] x [height] RGBA pixels, followed
// by a few bytes of image data: enough for the header to be read.
std::vector<unsigned char> pngHeaderOnly(std::uint32_t width, std::uint32_t height) {
  std::vector<unsigned char> png = pngHead(width, height);
  putChunk(png, {'I', 'D', 'A', 'T', 0x78, 0x9C, 0x03, 0x00});
  putChunk(png, {'I', 'E', 'N', 'D'});
  return png;
}

// A PNG of [width] x [height] samples of [depth] bits in colour [type] with
// the filtered rows [raw]; [chunks] (type and data) go before the data.
std::vector<unsigned char> makePng(std::uint32_t width, std::uint32_t height, int depth, int type,
                                   const std::vector<unsigned char>& raw,
                                   const std::vector<std::vector<unsigned char>>& chunks = {}, int interlace = 0) {
  std::vector<unsigned char> png = pngHead(width, height, depth, type, interlace);
  for (const auto& chunk : chunks) putChunk(png, chunk);
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::vector<unsigned char> data = {'I', 'D', 'A', 'T'};
  data.resize(4 + size);
  EXPECT_EQ(compress(data.data() + 4, &size, raw.data(), static_cast<uLong>(raw.size())), Z_OK);
  data.resize(4 + size);
  putChunk(png, data);
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

// A 60-byte file claiming 16384 x 16384 pixels once decoded to 1 GiB for
// every sprite that named it.
TEST_F(HgeTest, PicturesAboveTheSizeLimitAreRefusedFromTheHeader) {
  ScopedTempDir dir;
  auto writeClaim = [&](const char* name, std::uint32_t w, std::uint32_t h) {
    std::vector<unsigned char> png = pngHeaderOnly(w, h);
    dir.write(name, std::string(png.begin(), png.end()));
  };
  writeClaim("huge.png", 16384, 16384);
  writeClaim("over.png", 8193, 8192);
  writeClaim("most.png", 8192, 8192);
  testing::internal::CaptureStderr();
  ChildResult child = runChild([&] {
    const long long before = peakResident();
    int loaded = 0;
    for (int sprite = 0; sprite < 3; ++sprite) loaded += hge_->Texture_Load("huge.png") != 0;
    loaded += hge_->Texture_Create(16384, 16384) != 0;
    const long long grown = peakResident() - before;
    std::fprintf(stderr, "grown %lld bytes\n", grown);
    return loaded == 0 && grown < (64LL << 20) ? 0 : 1;
  });
  EXPECT_EQ(hge_->Texture_Load("over.png"), 0u);
  EXPECT_EQ(hge_->Texture_Load("most.png"), 0u);  // refused for its missing data only
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(ranCleanly(child, {"Texture_Load() failed: huge.png: image too large: 16384 x 16384 pixels",
                                 "Texture_Create() failed: image too large: 16384 x 16384"}));
  EXPECT_NE(err.find("over.png: image too large: 8193 x 8192"), std::string::npos) << err;
  EXPECT_EQ(err.find("most.png: image too large"), std::string::npos) << err;
}

// Every PNG gives the sample values stored in it: 16-bit samples keep their
// high byte, and no gamma chunk (or its absence) converts anything.
TEST_F(HgeTest, PngSamplesLoadAsStoredWhateverTheirDepthOrGamma) {
  auto pixels = [&](const std::vector<unsigned char>& png) {
    std::vector<DWORD> out;
    HTEXTURE tex = hge_->Texture_Load(reinterpret_cast<const char*>(png.data()), static_cast<DWORD>(png.size()));
    if (tex == 0) return out;
    int count = hge_->Texture_GetWidth(tex) * hge_->Texture_GetHeight(tex);
    DWORD* p = hge_->Texture_Lock(tex, true);
    if (p) out.assign(p, p + count);
    hge_->Texture_Unlock(tex);
    hge_->Texture_Free(tex);
    return out;
  };
  // 16-bit RGBA, no gAMA or sRGB chunk.
  EXPECT_EQ(pixels(makePng(2, 1, 16, 6, {0, 0x80, 0x80, 0x40, 0x40, 0xFF, 0xFF, 0x80, 0x80,  //
                                         0x00, 0x00, 0x12, 0x34, 0xAB, 0xCD, 0xFF, 0xFF})),
            (std::vector<DWORD>{0x808040FF, 0xFF0012AB}));
  // 16-bit grey, and 16-bit grey with a tRNS colour.
  EXPECT_EQ(pixels(makePng(1, 1, 16, 0, {0, 0x80, 0x00})), std::vector<DWORD>{0xFF808080});
  EXPECT_EQ(pixels(makePng(2, 1, 16, 0, {0, 0x80, 0x00, 0x12, 0x34}, {{'t', 'R', 'N', 'S', 0x12, 0x34}})),
            (std::vector<DWORD>{0xFF808080, 0x00121212}));
  // 8-bit RGB declaring linear samples (gAMA 1.0): still as stored.
  EXPECT_EQ(pixels(makePng(1, 1, 8, 2, {0, 0x80, 0x40, 0x20}, {{'g', 'A', 'M', 'A', 0, 0x01, 0x86, 0xA0}})),
            std::vector<DWORD>{0xFF804020});
  // A palette with one translucent entry; 2-bit grey; interlaced grey with alpha.
  EXPECT_EQ(pixels(makePng(2, 1, 8, 3, {0, 0, 1}, {{'P', 'L', 'T', 'E', 10, 20, 30, 40, 50, 60}, {'t', 'R', 'N', 'S', 0x40}})),
            (std::vector<DWORD>{0x400A141E, 0xFF28323C}));
  EXPECT_EQ(pixels(makePng(4, 1, 2, 0, {0, 0x1B})), (std::vector<DWORD>{0xFF000000, 0xFF555555, 0xFFAAAAAA, 0xFFFFFFFF}));
  EXPECT_EQ(pixels(makePng(1, 1, 8, 4, {0, 0x30, 0x90}, {}, 1)), std::vector<DWORD>{0x90303030});
}

// The messages name the file, in UTF-8 when the game gave a code page 936
// name, and say why it could not be read.
TEST_F(HgeTest, ImageErrorsNameTheFile) {
  ScopedTempDir dir;
  dir.write("empty.png", "");
  dir.write("\xE5\xA4\x9C.png", "not a png");  // the name on disk is UTF-8
  testing::internal::CaptureStderr();
  EXPECT_EQ(hge_->Texture_Load("empty.png"), 0u);
  EXPECT_EQ(hge_->Texture_Load("\xD2\xB9.png"), 0u);   // the same name in code page 936
  EXPECT_EQ(hge_->Texture_Load("\xBF\xD5.png"), 0u);   // missing
  EXPECT_EQ(hge_->Texture_Load("\xFF\xFF.png"), 0u);   // not code page 936 at all
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("empty.png: not a PNG file"), std::string::npos) << err;
  EXPECT_EQ(err.find("<memory>"), std::string::npos) << err;
  EXPECT_NE(err.find("\xE5\xA4\x9C.png: not a PNG file"), std::string::npos) << err;
  EXPECT_NE(err.find("cannot read \xE7\xA9\xBA.png: No such file or directory"), std::string::npos) << err;
  EXPECT_NE(err.find("cannot read \\xFF\\xFF.png"), std::string::npos) << err;
}

// With the game's confinement on, a picture named outside the run folder is
// refused by name and never read; one that only passes through a sibling
// folder loads.
TEST_F(HgeTest, ConfinedPicturesLoadOnlyFromInsideTheRunFolder) {
  ScopedTempDir dir;
  std::filesystem::create_directories("run/data/UI");
  std::filesystem::copy_file(fixturePng(), "outside.png");
  std::filesystem::copy_file(fixturePng(), "run/data/UI/x.png");
  std::filesystem::current_path("run");
  std::vector<std::string> refused;
  engine::confineGamePaths([&](std::string_view name) { refused.emplace_back(name); });
  const std::string absolute = (dir.path() / "outside.png").string();
  HTEXTURE outside = hge_->Texture_Load(absolute.c_str());
  HTEXTURE climbing = hge_->Texture_Load("data\\graphic\\..\\..\\..\\outside.png");
  HTEXTURE inside = hge_->Texture_Load("data\\graphic\\..\\UI\\x.png");
  engine::confineGamePaths(nullptr);
  EXPECT_EQ(outside, 0u);
  EXPECT_EQ(climbing, 0u);
  EXPECT_NE(inside, 0u);
  EXPECT_EQ(refused, (std::vector<std::string>{absolute, "data\\graphic\\..\\..\\..\\outside.png"}));
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

// Lookups are remembered between calls; a free or a creation must not leave
// a stale answer behind (a freed texture found, a new one missed).
TEST_F(HgeTest, TextureLookupsFollowFreesAndCreations) {
  HTEXTURE a = hge_->Texture_Create(2, 2);
  EXPECT_EQ(hge_->Texture_GetWidth(a), 2);
  hge_->Texture_Free(a);
  EXPECT_EQ(hge_->Texture_GetWidth(a), 0);
  EXPECT_EQ(hge_->Texture_GetWidth(a + 1), 0);  // asked for before it exists
  HTEXTURE b = hge_->Texture_Create(3, 3);
  EXPECT_EQ(hge_->Texture_GetWidth(b), 3);
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

// A texture, sound or file that cannot get its memory fails like a bad file,
// with a message, and the process goes on.
TEST_F(HgeTest, LoadsThatCannotGetTheirMemoryFailLikeBadFiles) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "a sanitizer's allocator cannot run under an address-space limit";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
  GTEST_SKIP() << "a sanitizer's allocator cannot run under an address-space limit";
#endif
#endif
  ScopedTempDir dir;
  // Sparse, so it takes no disk space; under the content limit, so reading
  // it must fail for memory alone.
  constexpr off_t kBigFile = off_t(48) << 20;
  static_assert(std::size_t(kBigFile) < engine::kContentByteLimit);
  for (const char* name : {"big.png", "big.wav", "big.dat"}) {
    std::ofstream(name).close();
    ASSERT_EQ(::truncate(name, kBigFile), 0);
  }
  const std::vector<unsigned char> huge = pngHeaderOnly(8192, 8192);  // 256 MiB of pixels, the most allowed
  initiate();
  ChildResult child = runChild([&] {
    if (!limitAddressSpace(rlim_t(24) << 20)) return 100;
    int failures = 0;
    failures += hge_->Texture_Load(reinterpret_cast<const char*>(huge.data()), DWORD(huge.size())) != 0;
    failures += hge_->Texture_Create(8192, 8192) != 0;
    failures += hge_->Texture_Load("big.png") != 0;
    failures += hge_->Effect_Load("big.wav") != 0;
    failures += hge_->Stream_Load("big.wav") != 0;
    failures += hge_->Resource_Load("big.dat") != nullptr;
    failures += hge_->Texture_Create(4, 4) == 0;  // small things still work
    return failures;
  });
  EXPECT_TRUE(ranCleanly(child, {"Texture_Load() failed: <memory>: out of memory for 8192 x 8192 pixels",
                                 "Texture_Create() failed: 8192 x 8192: out of memory",
                                 "Texture_Load() failed: cannot read big.png: Cannot allocate memory",
                                 "Effect_Load() failed: cannot read big.wav: Cannot allocate memory",
                                 "Stream_Load() failed: cannot read big.wav: Cannot allocate memory",
                                 "Resource_Load() failed: cannot read big.dat: Cannot allocate memory"}));
}

}  // namespace
