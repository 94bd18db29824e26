#include "platform/AudioPlayer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "platform/sim/SimPlatform.h"

namespace platform {
namespace {

class SimAudioTest : public ::testing::Test {
 protected:
  sim::SimPlatform platform;
  std::string dir = ::testing::TempDir();

  base::URL write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir + name, std::ios::binary) << bytes;
    return base::URL::fileURLWithPath(dir + name);
  }
};

TEST_F(SimAudioTest, CreationFailsForMissingAndUndecodableFiles) {
  base::Error error;
  EXPECT_FALSE(AudioPlayer::create(base::URL::fileURLWithPath(dir + "absent.m4a"), &error));
  EXPECT_EQ(error.code(), 1);
  EXPECT_FALSE(AudioPlayer::create(write("noise.m4a", "just some text"), &error));
  EXPECT_EQ(error.code(), 2);
  EXPECT_TRUE(AudioPlayer::create(write("ok.m4a", std::string("\0\0\0\x18"
                                                              "ftypM4A ",
                                                              12))));
}

TEST_F(SimAudioTest, PlaysForItsDurationAndEndsItsSoundWhenDisposedOf) {
  auto player = AudioPlayer::create(write("clip.m4a", std::string("\0\0\0\x18"
                                                                  "ftypM4A ",
                                                                  12)));
  ASSERT_TRUE(player);
  player->play();
  EXPECT_TRUE(player->isPlaying());
  platform.runLoop().advance(1);
  EXPECT_TRUE(player->isPlaying());
  platform.runLoop().advance(1.5);
  EXPECT_FALSE(player->isPlaying());
  player->play();
  player.reset();
  platform.runLoop().advance(5);
  EXPECT_EQ(platform.audio().events(),
            (std::vector<std::string>{"create clip.m4a", "play clip.m4a", "finish clip.m4a",
                                      "play clip.m4a", "dispose clip.m4a"}));
}

}  // namespace
}  // namespace platform
