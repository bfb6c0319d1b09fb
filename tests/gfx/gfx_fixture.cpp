// A headless engine for drawing tests, scene capture and small PNG files to load.
#include "tests/gfx/gfx_fixture.h"

#include <png.h>

#include <cstdio>
#include <filesystem>

#include "engine/headless/headless.h"
#include "engine/options.h"

namespace gfx::test {

void HeadlessEngineTest::SetUp() {
  engine::options().backend = engine::Backend::Headless;
  hge_ = hgeCreate(HGE_VERSION);
  ASSERT_TRUE(hge_->System_Initiate()) << hge_->System_GetErrorMessage();
}

void HeadlessEngineTest::TearDown() {
  for (HTEXTURE tex : textures_) hge_->Texture_Free(tex);
  hge_->System_Shutdown();
  hge_->Release();
}

std::vector<hgeQuad> HeadlessEngineTest::capture(const std::function<void()>& draw) {
  hge_->Gfx_BeginScene();
  draw();
  hge_->Gfx_EndScene();
  return engine::headless::recordedQuads();
}

HTEXTURE HeadlessEngineTest::makeTexture(int w, int h) {
  HTEXTURE tex = hge_->Texture_Create(w, h);
  textures_.push_back(tex);
  return tex;
}

const DWORD* HeadlessEngineTest::pixelsOf(HTEXTURE tex) {
  const DWORD* p = hge_->Texture_Lock(tex, true);
  hge_->Texture_Unlock(tex);
  return p;
}

void writePng(const std::string& path, int w, int h) {
  std::filesystem::path file(path);
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path());
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(w);
  image.height = static_cast<png_uint_32>(h);
  image.format = PNG_FORMAT_RGBA;
  std::vector<unsigned char> pixels(static_cast<std::size_t>(w) * h * 4, 0xFF);
  ASSERT_TRUE(png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr)) << path;
}

}  // namespace gfx::test
