// Font tests: a headless engine, a temporary data folder holding DejaVu Sans, a TrueType font manager and an empty font registry.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "base/xLogFile.h"
#include "engine/platform.h"
#include "gfx/hgeTTFont.h"
#include "gfx/xFontManager.h"
#include "tests/gfx/gfx_fixture.h"
#include "tests/support/temp_dir.h"

namespace gfx::test {

// Installed by the set-up script's font packages.
inline const char* const kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

class FontTest : public HeadlessEngineTest {
 protected:
  void SetUp() override {
    xLogFile::resetForTests();
    HeadlessEngineTest::SetUp();
    installFont("data/font/DejaVuSans.ttf");
    fonts_ = std::make_unique<TTFontManager>(hge_);
    xFontManager::resetForTests();
  }
  void TearDown() override {
    xFontManager::resetForTests();  // its fonts go before their manager
    fonts_.reset();
    HeadlessEngineTest::TearDown();
    engine::setSystemFontOverride(nullptr);
    xLogFile::resetForTests();
  }

  // Copies DejaVu Sans to [relative] under the working directory.
  void installFont(const std::string& relative) {
    std::filesystem::path target = dir_.path() / relative;
    std::filesystem::create_directories(target.parent_path());
    ASSERT_TRUE(std::filesystem::copy_file(kDejaVuSans, target, std::filesystem::copy_options::overwrite_existing))
        << kDejaVuSans << " is missing: run tools/setup.sh";
    engine::clearPathCache();
  }

  hgeTTFont* dejaVu(int size) { return fonts_->getFont("data/font/DejaVuSans.ttf", size); }

  ScopedTempDir dir_;
  std::unique_ptr<TTFontManager> fonts_;
};

}  // namespace gfx::test
