#include "platform/audio/GstAudioPlayer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "base/FileIO.h"
#include "platform/audio/GstAudioBackend.h"
#include "tests/platform/audio/GstPipelineState.h"
#include "tests/platform/gtk/GtkTestPlatform.h"

namespace platform::audio {
namespace {

using testing::positionOf;
using testing::stateOf;

class FinishCounter : public AudioPlayerDelegate {
 public:
  void audioPlayerDidFinishPlaying(AudioPlayer&, bool successfully) override {
    finished += successfully;
  }
  int finished = 0;
};

class GstAudioTest : public gtk::testing::PhonePlatformTest {
 protected:
  GstAudioTest() {
    platform = gtk::testing::makePlatform(console, UserInterfaceIdiom::Phone);
    if (platform)
      platform->services().audio =
          std::make_shared<GstAudioBackend>(GstAudioBackend::Output::Silent);
  }
  static std::string clip(const std::string& name) {
    return std::string(TAD_SOURCE_DIR) + "/assets/clips/" + name + ".m4a";
  }
  base::URL write(const std::string& name, const std::string& bytes) {
    std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return base::URL::fileURLWithPath(path);
  }
  std::shared_ptr<GstAudioPlayer> player(const std::string& name) {
    return std::dynamic_pointer_cast<GstAudioPlayer>(
        AudioPlayer::create(base::URL::fileURLWithPath(clip(name))).value());
  }
};

TEST_F(GstAudioTest, CreationFailsForMissingUndecodableAndDamagedFiles) {
  auto missing = AudioPlayer::create(base::URL::fileURLWithPath("/nonexistent/a.m4a"));
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.error().code(), 1);
  auto text = AudioPlayer::create(write("text.m4a", "just some text"));
  ASSERT_FALSE(text);
  EXPECT_EQ(text.error().code(), 2);
  EXPECT_EQ(text.error().domain(), AudioPlayer::kErrorDomain);
  // An MP4 header with nothing playable behind it (GStreamer says so, or waits until time runs
  // out).
  const std::string header("\0\0\0\030ftypM4A \0\0\0\0junk", 20);
  EXPECT_FALSE(AudioPlayer::create(write("header.m4a", header)));
  // The first half of a real clip: its index, at the end, is gone.
  const std::string bytes = base::readFile(clip("vadro")).value_or("");
  auto half = AudioPlayer::create(write("half.m4a", bytes.substr(0, bytes.size() / 2)));
  ASSERT_FALSE(half);
  // GStreamer says so, or (in some runs) stalls on it until the wait runs out.
  EXPECT_THAT(half.error().code(), ::testing::AnyOf(2, 4));
  EXPECT_TRUE(console->saidSomethingWith("Cannot decode"));
  EXPECT_TRUE(AudioPlayer::create(base::URL::fileURLWithPath(clip("vadro"))));
}

TEST_F(GstAudioTest, PlaysToTheEndAndTellsItsDelegate) {
  auto sound = player("fennock");
  ASSERT_TRUE(sound);
  auto counter = std::make_shared<FinishCounter>();
  sound->setDelegate(counter);
  EXPECT_EQ(stateOf(sound->pipeline()), GST_STATE_PAUSED);  // prerolled, silent
  EXPECT_TRUE(sound->play());
  EXPECT_TRUE(sound->isPlaying());
  EXPECT_TRUE(eventually([&] { return counter->finished == 1; }));
  EXPECT_FALSE(sound->isPlaying());
}

// A player that goes ends its sound at once: the soundboard's GUI suite, whose next clip cuts
// the sounding one off.
TEST_F(GstAudioTest, StopPausesAndTheNextPlayStartsFromTheBeginning) {
  auto sound = player("quor-ren-dal");
  ASSERT_TRUE(sound);
  sound->play();
  ASSERT_TRUE(eventually([&] { return positionOf(sound->pipeline()) >= 0.5; }));
  sound->stop();
  EXPECT_FALSE(sound->isPlaying());
  double stoppedAt = positionOf(sound->pipeline());
  EXPECT_TRUE(eventually([&] { return stateOf(sound->pipeline()) == GST_STATE_PAUSED; }));
  sound->play();
  ASSERT_TRUE(eventually([&] { return stateOf(sound->pipeline()) == GST_STATE_PLAYING; }));
  EXPECT_LT(positionOf(sound->pipeline()), stoppedAt);
}

}  // namespace
}  // namespace platform::audio
