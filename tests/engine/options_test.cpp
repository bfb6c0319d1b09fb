// Engine options: command-line flags, the backend variable and malformed input.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "engine/options.h"

namespace {

class Options : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = engine::options();
    unsetenv("VELMORA_BACKEND");
  }
  void TearDown() override {
    engine::options() = saved_;
    setenv("VELMORA_BACKEND", "headless", 1);
  }
  bool parse(std::vector<const char*> args) {
    args.insert(args.begin(), "velmora");
    return engine::parseCommandLine(int(args.size()), const_cast<char**>(args.data()), error_);
  }
  engine::Options saved_;
  std::string error_;
};

TEST_F(Options, ReadsEveryFlagAndLeavesOthersForTheGame) {
  ASSERT_TRUE(parse({"--frames", "120", "-game", "--headless", "--input", "in.txt", "--seed", "4294967295",
                     "--screenshot", "30:shot.png", "--unpaced"}))
      << error_;
  const engine::Options& o = engine::options();
  EXPECT_EQ(o.backend, engine::Backend::Headless);
  EXPECT_EQ(o.frames, 120);
  EXPECT_TRUE(o.unpaced);
  EXPECT_EQ(o.inputFile, "in.txt");
  ASSERT_TRUE(o.seed.has_value());
  EXPECT_EQ(*o.seed, 4294967295u);
  EXPECT_EQ(o.screenshotFrame, 30);
  EXPECT_EQ(o.screenshotFile, "shot.png");
}

TEST_F(Options, TheEnvironmentChoosesTheBackendUnlessTheFlagDoes) {
  ASSERT_TRUE(parse({}));
  EXPECT_EQ(engine::options().backend, engine::Backend::Window);
  EXPECT_FALSE(engine::options().seed.has_value());
  setenv("VELMORA_BACKEND", "headless", 1);
  ASSERT_TRUE(parse({}));
  EXPECT_EQ(engine::options().backend, engine::Backend::Headless);
  setenv("VELMORA_BACKEND", "window", 1);
  ASSERT_TRUE(parse({}));
  EXPECT_EQ(engine::options().backend, engine::Backend::Window);
  ASSERT_TRUE(parse({"--headless"}));
  EXPECT_EQ(engine::options().backend, engine::Backend::Headless);
}

TEST_F(Options, AnUnknownBackendIsAnErrorNamingTheValidOnes) {
  setenv("VELMORA_BACKEND", "vulkan", 1);
  engine::options().frames = 77;
  EXPECT_FALSE(parse({}));
  EXPECT_NE(error_.find("vulkan"), std::string::npos);
  EXPECT_NE(error_.find("window"), std::string::npos);
  EXPECT_NE(error_.find("headless"), std::string::npos);
  EXPECT_EQ(engine::options().frames, 77);  // a failed parse changes nothing
}

TEST_F(Options, MalformedValuesAreErrors) {
  for (std::vector<const char*> args : std::vector<std::vector<const char*>>{
           {"--frames"}, {"--frames", "12x"}, {"--frames", "-1"}, {"--seed", "4294967296"},
           {"--seed", "-3"}, {"--screenshot", "shot.png"}, {"--screenshot", "5:"},
           {"--screenshot", "x:a.png"}, {"--input", ""}}) {
    error_.clear();
    EXPECT_FALSE(parse(args)) << args[0] << " " << (args.size() > 1 ? args[1] : "");
    EXPECT_FALSE(error_.empty());
  }
}

}  // namespace
