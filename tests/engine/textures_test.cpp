// Pictures decoded once for every handle loaded from the same file: sharing, writes, frees, memory.
#include <string>
#include <vector>

#include "engine/textures.h"
#include "tests/engine/child_fixture.h"
#include "tests/engine/hge_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

// A [w] x [h] PNG whose every pixel is [colour].
void writePicture(const std::string& path, int w, int h, DWORD colour) {
  std::vector<DWORD> pixels(std::size_t(w) * h, colour);
  std::string error;
  ASSERT_TRUE(engine::writePng(path, w, h, pixels.data(), error)) << error;
}

class TextureShareTest : public HgeTest {
 protected:
  DWORD firstPixel(HTEXTURE tex) {
    const DWORD* p = hge_->Texture_Lock(tex, true);
    DWORD value = p ? *p : 0;
    hge_->Texture_Unlock(tex);
    return value;
  }
  const DWORD* pixelsOf(HTEXTURE tex) {
    const DWORD* p = hge_->Texture_Lock(tex, true);
    hge_->Texture_Unlock(tex);
    return p;
  }
  ScopedTempDir dir_;
};

TEST_F(TextureShareTest, LoadsOfOneFileShareOnePictureThatOutlivesEachFree) {
  writePicture("fog.png", 4, 2, 0xFF102030);
  HTEXTURE a = hge_->Texture_Load("fog.png");
  HTEXTURE b = hge_->Texture_Load("./FOG.png");  // the same file by another spelling
  ASSERT_NE(a, 0u);
  ASSERT_NE(b, 0u);
  EXPECT_NE(a, b) << "each load is its own handle";
  EXPECT_EQ(pixelsOf(a), pixelsOf(b)) << "decoded once";

  hge_->Texture_Free(a);
  hge_->Texture_Free(a);  // a second free of one handle takes nothing from the others
  EXPECT_EQ(hge_->Texture_GetWidth(a), 0);
  EXPECT_EQ(hge_->Texture_GetWidth(b), 4);
  EXPECT_EQ(firstPixel(b), 0xFF102030u);
  hge_->Texture_Free(b);
  EXPECT_EQ(hge_->Texture_GetWidth(b), 0);
}

TEST_F(TextureShareTest, WritesGoToACopyAndAReplacedFileIsDecodedAgain) {
  writePicture("fog.png", 4, 2, 0xFF102030);
  HTEXTURE writer = hge_->Texture_Load("fog.png");
  HTEXTURE reader = hge_->Texture_Load("fog.png");
  DWORD* p = hge_->Texture_Lock(writer, false);
  ASSERT_NE(p, nullptr);
  p[0] = 0xFFFFFFFF;
  hge_->Texture_Unlock(writer);
  EXPECT_EQ(firstPixel(writer), 0xFFFFFFFFu);
  EXPECT_EQ(firstPixel(reader), 0xFF102030u) << "the other load keeps the file's pixels";
  hge_->Texture_Free(reader);
  HTEXTURE later = hge_->Texture_Load("fog.png");
  EXPECT_EQ(firstPixel(later), 0xFF102030u) << "a written picture is never handed out again";

  writePicture("fog.png", 8, 2, 0xFF405060);
  HTEXTURE replaced = hge_->Texture_Load("fog.png");
  EXPECT_EQ(hge_->Texture_GetWidth(replaced), 8);
  EXPECT_EQ(firstPixel(replaced), 0xFF405060u);
  EXPECT_EQ(hge_->Texture_GetWidth(later), 4);
}

TEST(TextureStoreTest, TheLastHandleReleasesTheSharedPicture) {
  engine::TextureStore store;
  engine::Texture loaded;
  loaded.width = 2;
  loaded.height = 1;
  loaded.pixels = {1, 2};
  loaded.shareKey = "fog";
  HTEXTURE first = store.add(std::move(loaded));
  HTEXTURE second = store.share("fog");
  ASSERT_NE(second, 0u);
  EXPECT_EQ(store.sharers(first), 2);

  engine::Texture removed;
  EXPECT_TRUE(store.remove(first, removed));
  EXPECT_TRUE(removed.pixels.empty()) << "still held by the second handle";
  EXPECT_EQ(store.find(second)->pixels, (std::vector<DWORD>{1, 2}));
  EXPECT_TRUE(store.remove(second, removed));
  EXPECT_EQ(removed.pixels, (std::vector<DWORD>{1, 2}));
  EXPECT_EQ(store.share("fog"), 0u) << "nothing left to share";
}

// Covers added every frame: each load of the 750 x 1200 fog (3.4 MiB
// decoded) once cost its own copy, 2 GB for 600.
TEST_F(TextureShareTest, SixHundredLoadsOfOnePictureHoldOneCopy) {
  writePicture("fog.png", 750, 1200, 0xEEFFFFFF);
  ChildResult child = runChild([&] {
    const long long before = peakResident();
    for (int i = 0; i < 600; ++i) {
      if (hge_->Texture_Load("fog.png") == 0) return 2;
    }
    const long long grown = peakResident() - before;
    std::fprintf(stderr, "grown %lld bytes\n", grown);
    return grown < (100LL << 20) ? 0 : 1;
  });
  EXPECT_TRUE(ranCleanly(child));
}

}  // namespace
