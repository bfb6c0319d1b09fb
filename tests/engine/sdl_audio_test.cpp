// The SDL2_mixer path, run on SDL's dummy audio driver so no sound hardware is needed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "engine/audio.h"
#include "engine/platform.h"
#include "tests/engine/audio_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr float kFrame = 1.0f / 60.0f;

TEST(AudioDevice, PlaysStopsAndFreesThroughTheMixer) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ScopedTempDir dir;
  dir.write("one.wav", audio_test::makeWav(1.0, 44100, 2));
  dir.write("short.wav", audio_test::makeWav(0.1));
  std::filesystem::copy_file(audio_test::mp3FixturePath(), dir.path() / "tone.mp3");
  engine::clearPathCache();
  auto audio = engine::Audio::create(false);

  const HEFFECT one = audio->effectLoad("one.wav");
  const HEFFECT mp3 = audio->effectLoad("tone.mp3");
  ASSERT_NE(one, 0u);
  ASSERT_NE(mp3, 0u) << "SDL_mixer could not decode the MP3 effect";
  const HCHANNEL ch = audio->effectPlay(one, 80, -50, 1.0f, false);
  ASSERT_NE(ch, 0u);
  EXPECT_NEAR(audio->channelGetLength(ch), 1.0f, 1e-3);
  // The mixer, not the frame clock, ends a sound: ten seconds of frame time
  // do not end a one-second sound that started a moment ago. (The silent
  // mode would have ended it.)
  audio->update(10.0f);
  EXPECT_TRUE(audio->channelIsPlaying(ch));
  audio->channelSlideTo(ch, 0.0f, 10, 100, -1.0f);
  EXPECT_EQ(audio->channelGetVolume(ch), 10);
  audio->channelStop(ch);
  EXPECT_FALSE(audio->channelIsPlaying(ch));

  // A short sound ends on its own; update notices by polling the mixer.
  const HCHANNEL brief = audio->effectPlay(audio->effectLoad("short.wav"), 100, 0, 1.0f, false);
  ASSERT_NE(brief, 0u);
  for (int i = 0; i < 300 && audio->channelIsPlaying(brief); ++i) {
    engine::sleepMillis(10);
    audio->update(kFrame);
  }
  EXPECT_FALSE(audio->channelIsPlaying(brief));

  const HCHANNEL looped = audio->effectPlay(mp3, 100, 0, 1.0f, true);
  const HSTREAM music = audio->streamLoad("tone.mp3");
  ASSERT_NE(music, 0u);
  const HCHANNEL musicChannel = audio->streamPlay(music, true, 60);
  ASSERT_NE(musicChannel, 0u);
  EXPECT_NEAR(audio->channelGetLength(musicChannel), 1.0f, 0.03);
  audio->channelPause(musicChannel);
  audio->update(kFrame);
  audio->channelResume(musicChannel);
  audio->update(kFrame);
  EXPECT_TRUE(audio->channelIsPlaying(musicChannel));
  EXPECT_TRUE(audio->channelIsPlaying(looped));

  audio->effectFree(mp3);
  EXPECT_FALSE(audio->channelIsPlaying(looped));
  audio->streamFree(music);
  EXPECT_FALSE(audio->channelIsPlaying(musicChannel));
  audio->shutdown();
  EXPECT_EQ(audio->effectLoad("one.wav"), 0u);
  audio->effectFree(one);
}

}  // namespace
