// The SDL2_mixer path, run on SDL's dummy audio driver so no sound hardware is needed.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "engine/audio.h"
#include "engine/platform.h"
#include "tests/engine/audio_fixture.h"
#include "tests/engine/child_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr float kFrame = 1.0f / 60.0f;

// Plays [name] as music for 20 short frames, time enough for the mixer's
// thread to decode some of it, then frees it; whether it loaded.
bool streamBriefly(engine::Audio& audio, const char* name) {
  const HSTREAM music = audio.streamLoad(name);
  audio.streamPlay(music, true, 100);
  for (int i = 0; i < 20; ++i) {
    engine::sleepMillis(5);
    audio.update(kFrame);
  }
  audio.streamFree(music);
  return music != 0;
}

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

// SDL_mixer divided by the channel count when it streamed a 0-channel WAV
// (a floating-point exception that ended the game); as an effect it was
// refused. Both are refused before the mixer sees them, and the silent
// mode refuses them alike.
TEST(AudioDevice, WavsWithZerosOrDisagreeingSizesNeverReachTheMixer) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ScopedTempDir dir;
  const std::string wav = audio_test::makeWav(0.5, 22050, 2, 16);
  dir.write("zero.wav", audio_test::withWavField(wav, 2, 0));
  dir.write("align.wav", audio_test::withWavField(wav, 12, 3));
  engine::clearPathCache();
  ChildResult child = runChild([] {
    int loaded = 0;
    for (bool silent : {false, true}) {
      auto audio = engine::Audio::create(silent);
      for (const char* name : {"zero.wav", "align.wav"}) {
        loaded += streamBriefly(*audio, name);
        loaded += audio->effectLoad(name) != 0;
      }
      audio->shutdown();
    }
    return loaded;
  });
  EXPECT_TRUE(ranCleanly(child, {"Stream_Load() failed: zero.wav: WAV format with 0 channels",
                                 "Effect_Load() failed: zero.wav: WAV format with 0 channels",
                                 "Stream_Load() failed: align.wav: WAV block align 3 is not 2 channels of 16 bits"}));
}

// The mixer converts to 44100 Hz and decodes a whole effect at once: a
// 22 KB WAV at 1 Hz took 1.8 GB as music, the 4 KB Ogg fixture relabelled
// 1 Hz took 3.9 GB as an effect, and its audio page repeated 4000 times
// (2.4 MB, every page claiming the first one's position) took 733 MB; so
// did 12 MB of MP3 frames behind an index claiming one second (550 MB). An
// 8 MHz WAV played silently but not in the window.
TEST(AudioDevice, RatesAndEffectsThatSwellPastMemoryNeverReachTheMixer) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ScopedTempDir dir;
  auto withRate = [](std::uint32_t rate) {
    const std::string wav = audio_test::makeWav(0.5, 22050, 1, 16);
    return audio_test::withWavField(audio_test::withWavField(wav, 4, rate, 4), 8, rate * 2, 4);
  };
  dir.write("slow.wav", withRate(1));
  dir.write("fast.wav", withRate(8000000));
  dir.write("edge.wav", withRate(1000));
  const std::string ogg = audio_test::fileText(audio_test::oggFixturePath());
  dir.write("slow.ogg", audio_test::withOggIdField(ogg, 12, std::string("\x01\0\0\0", 4)));
  const std::size_t audioPage = ogg.rfind("OggS");
  std::string repeated = ogg.substr(0, audioPage);
  for (std::uint32_t i = 0; i < 4000; ++i) {
    std::string page = ogg.substr(audioPage);
    page[5] = i == 3999 ? 4 : 0;
    for (int k = 0; k < 4; ++k) page[18 + k] = char(((i + 2) >> (8 * k)) & 0xFF);
    audio_test::resealOggPage(page, 0);
    repeated += page;
  }
  dir.write("long.ogg", repeated);
  // The MP3 fixture's frames 1500 more times behind its index, which still says one second.
  const std::string mp3 = audio_test::fileText(audio_test::mp3FixturePath());
  const std::string frames = mp3.substr(208 + ((mp3[2] >> 1) & 1));
  std::string longMp3 = mp3;
  for (int i = 0; i < 1500; ++i) longMp3 += frames;
  dir.write("long.mp3", longMp3);
  engine::clearPathCache();
  ChildResult child = runChild([] {
    if (!limitAddressSpace(rlim_t(384) << 20)) return 100;
    int wrong = 0;
    for (bool silent : {false, true}) {
      auto audio = engine::Audio::create(silent);
      for (const std::string name : {"slow.wav", "fast.wav", "slow.ogg", "long.ogg", "long.mp3"}) {
        wrong += streamBriefly(*audio, name.c_str()) != name.starts_with("long");  // streamed a piece at a time
        wrong += audio->effectLoad(name.c_str()) != 0;
      }
      wrong += audio->effectLoad("edge.wav") == 0 || audio->streamLoad("edge.wav") == 0;
      audio->shutdown();
    }
    return wrong;
  });
  EXPECT_TRUE(ranCleanly(child, {"Stream_Load() failed: slow.wav: WAV sample rate 1 Hz is outside 1000-384000 Hz",
                                 "Effect_Load() failed: fast.wav: WAV sample rate 8000000 Hz is outside 1000-384000 Hz",
                                 "Effect_Load() failed: slow.ogg: Ogg Vorbis sample rate 1 Hz is outside 1000-384000 Hz",
                                 "Effect_Load() failed: long.ogg: decodes to 359 MiB, past 256 MiB",
                                 "Effect_Load() failed: long.mp3: decodes to 263 MiB, past 256 MiB"}));
}

// The headless run accepts the Ogg Vorbis files the window plays and
// refuses the ones it cannot, so tests hear what players hear.
TEST(AudioDevice, TheSilentModeTakesTheOggFilesTheMixerTakes) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ScopedTempDir dir;
  const std::string ogg = audio_test::fileText(audio_test::oggFixturePath());
  using audio_test::withOggIdField;
  std::string unsealed = ogg;
  unsealed[audio_test::kOggIdHeader + 11] = 2;
  std::string setup = ogg;  // the first codebook's sync pattern broken
  setup[setup.find("BCV")] = 'X';
  audio_test::resealOggPage(setup, setup.find("OggS", 1));
  const std::pair<std::string, std::string> files[] = {
      {"tone.ogg", ogg},
      {"stereo.ogg", withOggIdField(ogg, 11, "\x02")},
      {"cut.ogg", ogg.substr(0, ogg.size() - 100)},
      {"mute.ogg", withOggIdField(ogg, 11, std::string(1, '\0'))},
      {"rate.ogg", withOggIdField(ogg, 12, std::string(4, '\0'))},
      {"blocks.ogg", withOggIdField(ogg, 28, "\xE6")},
      {"framing.ogg", withOggIdField(ogg, 29, std::string(1, '\0'))},
      {"unsealed.ogg", unsealed},
      {"headers.ogg", ogg.substr(0, 200)},
      {"setup.ogg", setup},
  };
  for (const auto& [name, bytes] : files) dir.write(name, bytes);
  engine::clearPathCache();
  auto window = engine::Audio::create(false);
  auto silent = engine::Audio::create(true);
  for (const auto& [name, bytes] : files) {
    const bool played = window->effectLoad(name.c_str()) != 0;
    EXPECT_EQ(silent->effectLoad(name.c_str()) != 0, played) << name;
    EXPECT_EQ(silent->streamLoad(name.c_str()) != 0, window->streamLoad(name.c_str()) != 0) << name;
    if (name == "tone.ogg") {
      EXPECT_TRUE(played);
    }
  }
  const HCHANNEL tone = silent->effectPlay(silent->effectLoad("tone.ogg"), 100, 0, 1.0f, false);
  EXPECT_NEAR(silent->channelGetLength(tone), 0.5f, 1e-4);
}

// Stderr is where SDL says why; the game's log must say that it runs silent.
TEST(AudioDevice, NoDeviceRunsSilentAndSaysSoInTheGameLog) {
  std::vector<std::string> lines;
  engine::setGameLogHook([&](const std::string& line) { lines.push_back(line); });
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  auto audio = engine::Audio::create(false);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  engine::setGameLogHook(nullptr);
  EXPECT_EQ(lines, (std::vector<std::string>{"No audio device could be opened: the game runs without sound"}));
  lines.clear();
  engine::Audio::create(true);
  EXPECT_TRUE(lines.empty()) << "running silent on purpose is no failure";
}

}  // namespace
