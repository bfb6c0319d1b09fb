// Channel bookkeeping of the silent sound: handles, lengths, ends, slides, streams.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "engine/audio.h"
#include "engine/platform.h"
#include "tests/engine/audio_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

using audio_test::makeWav;
constexpr float kFrame = 1.0f / 60.0f;

class SilentAudio : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.write("half.wav", makeWav(0.5));
    dir_.write("se/Long.wav", makeWav(2.0, 44100, 2, 16, true));
    std::filesystem::copy_file(audio_test::mp3FixturePath(), dir_.path() / "tone.mp3");
    engine::clearPathCache();
    audio_ = engine::Audio::create(true);
  }
  void frames(int n) {
    for (int i = 0; i < n; ++i) audio_->update(kFrame);
  }

  ScopedTempDir dir_;
  std::unique_ptr<engine::Audio> audio_;
};

TEST_F(SilentAudio, LengthsComeFromTheFiles) {
  const HEFFECT half = audio_->effectLoad("half.wav");
  const HEFFECT longer = audio_->effectLoad("SE\\long.WAV");  // resolver: case and backslash
  const HEFFECT mp3 = audio_->effectLoad("tone.mp3");
  const HSTREAM music = audio_->streamLoad("tone.mp3");
  ASSERT_NE(half, 0u);
  ASSERT_NE(longer, 0u);
  ASSERT_NE(mp3, 0u);
  ASSERT_NE(music, 0u);
  EXPECT_NEAR(audio_->channelGetLength(audio_->effectPlay(half, 100, 0, 1.0f, false)), 0.5f, 1e-4);
  EXPECT_NEAR(audio_->channelGetLength(audio_->effectPlay(longer, 100, 0, 1.0f, false)), 2.0f, 1e-4);
  EXPECT_NEAR(audio_->channelGetLength(audio_->effectPlay(mp3, 100, 0, 1.0f, false)), 1.0f, 0.03);
  const HCHANNEL musicChannel = audio_->streamPlay(music, false, 100);
  EXPECT_NEAR(audio_->channelGetLength(musicChannel), 1.0f, 0.03);
  // The length stays readable after the music has ended, while the stream lives.
  frames(70);
  EXPECT_FALSE(audio_->channelIsPlaying(musicChannel));
  EXPECT_NEAR(audio_->channelGetLength(musicChannel), 1.0f, 0.03);
}

TEST_F(SilentAudio, UnreadableFilesGiveNoHandle) {
  dir_.write("junk.wav", std::string(4000, 'x'));
  dir_.write("cut.wav", makeWav(0.5).substr(0, 30));
  engine::clearPathCache();
  EXPECT_EQ(audio_->effectLoad("missing.wav"), 0u);
  EXPECT_EQ(audio_->effectLoad("junk.wav"), 0u);
  EXPECT_EQ(audio_->effectLoad("cut.wav"), 0u);
  EXPECT_EQ(audio_->streamLoad("missing.mp3"), 0u);
  EXPECT_EQ(audio_->effectLoad(nullptr), 0u);
}

TEST_F(SilentAudio, ChannelsEndAfterTheirLengthUnlessLooped) {
  const HEFFECT half = audio_->effectLoad("half.wav");
  const HCHANNEL once = audio_->effectPlay(half, 100, 0, 1.0f, false);
  const HCHANNEL looped = audio_->effectPlay(half, 100, 0, 1.0f, true);
  frames(29);
  EXPECT_TRUE(audio_->channelIsPlaying(once));
  EXPECT_NEAR(audio_->channelGetPos(once), 29 * kFrame, 1e-4);
  frames(1);
  EXPECT_FALSE(audio_->channelIsPlaying(once));
  frames(100);
  EXPECT_TRUE(audio_->channelIsPlaying(looped));
  EXPECT_LT(audio_->channelGetPos(looped), 0.5f);
}

TEST_F(SilentAudio, PausedChannelsHoldTheirTime) {
  const HCHANNEL ch = audio_->effectPlay(audio_->effectLoad("half.wav"), 100, 0, 1.0f, false);
  frames(10);
  audio_->channelPause(ch);
  EXPECT_FALSE(audio_->channelIsPlaying(ch));
  frames(100);
  audio_->channelResume(ch);
  EXPECT_TRUE(audio_->channelIsPlaying(ch));
  frames(19);
  EXPECT_TRUE(audio_->channelIsPlaying(ch));
  frames(1);
  EXPECT_FALSE(audio_->channelIsPlaying(ch));
  audio_->channelResume(ch);  // a stopped channel does not restart
  EXPECT_FALSE(audio_->channelIsPlaying(ch));
}

TEST_F(SilentAudio, HandlesAreUniqueAndStaleOnesTouchNothing) {
  const HEFFECT half = audio_->effectLoad("half.wav");
  const HCHANNEL old = audio_->effectPlay(half, 100, 0, 1.0f, false);
  audio_->channelStop(old);
  const HCHANNEL fresh = audio_->effectPlay(half, 70, 0, 1.0f, false);
  EXPECT_NE(old, fresh);
  EXPECT_NE(fresh, half);
  audio_->channelSetVolume(old, 5);
  audio_->channelSlideTo(old, 0.0f, 0, -101, -1.0f);
  audio_->channelPause(old);
  audio_->channelStop(old);
  EXPECT_TRUE(audio_->channelIsPlaying(fresh));
  EXPECT_EQ(audio_->channelGetVolume(fresh), 70);

  // Thousands of plays reuse every slot many times; no handle comes back,
  // and handles whose slot was reused read as stale.
  std::set<HCHANNEL> seen{old, fresh};
  HCHANNEL first = 0;
  for (int i = 0; i < 5000; ++i) {
    const HCHANNEL ch = audio_->effectPlay(half, 40, 0, 1.0f, false);
    ASSERT_NE(ch, 0u);
    ASSERT_TRUE(seen.insert(ch).second) << "handle repeated at play " << i;
    if (first == 0) first = ch;
    audio_->channelStop(ch);
  }
  EXPECT_EQ(audio_->channelGetVolume(first), -1);
  EXPECT_EQ(audio_->channelGetVolume(fresh), 70);
}

TEST_F(SilentAudio, TooManyChannelsEndTheOldest) {
  const HEFFECT half = audio_->effectLoad("half.wav");
  std::vector<HCHANNEL> channels;
  for (int i = 0; i < 65; ++i) channels.push_back(audio_->effectPlay(half, 100, 0, 1.0f, true));
  EXPECT_FALSE(audio_->channelIsPlaying(channels[0]));
  for (int i = 1; i < 65; ++i) EXPECT_TRUE(audio_->channelIsPlaying(channels[i])) << i;
}

TEST_F(SilentAudio, HandleZeroAndWrongKindsAreNoOps) {
  const HEFFECT half = audio_->effectLoad("half.wav");
  const HSTREAM music = audio_->streamLoad("tone.mp3");
  EXPECT_EQ(audio_->effectPlay(0, 100, 0, 1.0f, false), 0u);
  EXPECT_EQ(audio_->streamPlay(0, false, 100), 0u);
  EXPECT_EQ(audio_->streamPlay(half, false, 100), 0u);  // an effect is no stream
  EXPECT_EQ(audio_->effectPlay(music, 100, 0, 1.0f, false), 0u);
  audio_->effectFree(0);
  audio_->streamFree(0);
  audio_->channelSetVolume(0, 50);
  audio_->channelSlideTo(0, 1.0f, 50, -101, -1.0f);
  audio_->channelStop(0);
  audio_->channelResume(0);
  EXPECT_FALSE(audio_->channelIsPlaying(0));
  EXPECT_FALSE(audio_->channelIsSliding(0));
  EXPECT_EQ(audio_->channelGetLength(0), 0.0f);
  EXPECT_EQ(audio_->channelGetPos(0), 0.0f);
  EXPECT_EQ(audio_->channelGetVolume(0), -1);
  // The effect survives the wrong-kind calls.
  EXPECT_NE(audio_->effectPlay(half, 100, 0, 1.0f, false), 0u);
}

TEST_F(SilentAudio, VolumesAreClamped) {
  const HEFFECT half = audio_->effectLoad("half.wav");
  EXPECT_EQ(audio_->channelGetVolume(audio_->effectPlay(half, 150, 0, 1.0f, true)), 100);
  const HCHANNEL ch = audio_->effectPlay(half, -5, 300, 1.0f, true);
  EXPECT_EQ(audio_->channelGetVolume(ch), 0);
  audio_->channelSetVolume(ch, 1000);
  EXPECT_EQ(audio_->channelGetVolume(ch), 100);
  EXPECT_EQ(audio_->channelGetVolume(audio_->streamPlay(audio_->streamLoad("tone.mp3"), true, 101)), 100);
}

TEST_F(SilentAudio, SlidesReachTheirTargetAndReplaceEachOther) {
  const HCHANNEL ch = audio_->effectPlay(audio_->effectLoad("half.wav"), 100, 0, 1.0f, true);
  audio_->channelSlideTo(ch, 1.0f, 0, -101, -1.0f);
  frames(30);
  EXPECT_TRUE(audio_->channelIsSliding(ch));
  EXPECT_NEAR(audio_->channelGetVolume(ch), 50, 1);
  frames(30);
  EXPECT_EQ(audio_->channelGetVolume(ch), 0);
  EXPECT_FALSE(audio_->channelIsSliding(ch));
  EXPECT_TRUE(audio_->channelIsPlaying(ch));  // silence is not the end

  // A new slide starts from where the old one got to.
  audio_->channelSlideTo(ch, 1.0f, 100, -101, -1.0f);
  frames(30);
  audio_->channelSlideTo(ch, 0.5f, 20, -101, -1.0f);
  frames(15);
  EXPECT_NEAR(audio_->channelGetVolume(ch), 35, 1);
  frames(15);
  EXPECT_EQ(audio_->channelGetVolume(ch), 20);
  frames(30);
  EXPECT_EQ(audio_->channelGetVolume(ch), 20);

  // Volume -1 leaves the volume alone; no time jumps to the target.
  audio_->channelSlideTo(ch, 1.0f, -1, 50, -1.0f);
  frames(60);
  EXPECT_EQ(audio_->channelGetVolume(ch), 20);
  audio_->channelSlideTo(ch, 0.0f, 90, -101, -1.0f);
  EXPECT_EQ(audio_->channelGetVolume(ch), 90);
  EXPECT_FALSE(audio_->channelIsSliding(ch));
}

TEST_F(SilentAudio, FreeingAnEffectStopsItsChannels) {
  const HEFFECT a = audio_->effectLoad("half.wav");
  const HEFFECT b = audio_->effectLoad("half.wav");
  EXPECT_NE(a, b);
  const HCHANNEL a1 = audio_->effectPlay(a, 100, 0, 1.0f, true);
  const HCHANNEL a2 = audio_->effectPlay(a, 100, 0, 1.0f, false);
  const HCHANNEL b1 = audio_->effectPlay(b, 100, 0, 1.0f, true);
  audio_->effectFree(a);
  EXPECT_FALSE(audio_->channelIsPlaying(a1));
  EXPECT_FALSE(audio_->channelIsPlaying(a2));
  EXPECT_TRUE(audio_->channelIsPlaying(b1));
  EXPECT_EQ(audio_->effectPlay(a, 100, 0, 1.0f, false), 0u);
  audio_->effectFree(a);  // twice is harmless
  EXPECT_TRUE(audio_->channelIsPlaying(b1));
}

TEST_F(SilentAudio, OneStreamPlaysAtATime) {
  const HSTREAM first = audio_->streamLoad("tone.mp3");
  const HSTREAM second = audio_->streamLoad("tone.mp3");
  const HCHANNEL c1 = audio_->streamPlay(first, true, 100);
  const HCHANNEL c2 = audio_->streamPlay(second, true, 100);
  EXPECT_FALSE(audio_->channelIsPlaying(c1));
  EXPECT_TRUE(audio_->channelIsPlaying(c2));
  // Effects and music share one handle space and do not stop each other.
  const HCHANNEL effect = audio_->effectPlay(audio_->effectLoad("half.wav"), 100, 0, 1.0f, true);
  EXPECT_NE(effect, c2);
  const HCHANNEL c3 = audio_->streamPlay(first, true, 100);
  EXPECT_FALSE(audio_->channelIsPlaying(c2));
  EXPECT_TRUE(audio_->channelIsPlaying(c3));
  EXPECT_TRUE(audio_->channelIsPlaying(effect));
  audio_->streamFree(first);
  EXPECT_FALSE(audio_->channelIsPlaying(c3));
  EXPECT_EQ(audio_->streamPlay(first, true, 100), 0u);
  EXPECT_TRUE(audio_->channelIsPlaying(effect));
}

TEST_F(SilentAudio, CallsAfterShutdownDoNothing) {
  const HEFFECT half = audio_->effectLoad("half.wav");
  const HCHANNEL ch = audio_->effectPlay(half, 100, 0, 1.0f, true);
  audio_->shutdown();
  EXPECT_FALSE(audio_->channelIsPlaying(ch));
  EXPECT_EQ(audio_->effectPlay(half, 100, 0, 1.0f, false), 0u);
  EXPECT_EQ(audio_->effectLoad("half.wav"), 0u);
  EXPECT_EQ(audio_->streamLoad("tone.mp3"), 0u);
  audio_->update(kFrame);
  audio_->effectFree(half);
  audio_->shutdown();
}

}  // namespace
