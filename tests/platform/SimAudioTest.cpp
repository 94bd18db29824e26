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
  EXPECT_TRUE(AudioPlayer::create(write("ok.m4a", std::string("\0\0\0\030ftypM4A ", 12))));
}

}  // namespace
}  // namespace platform
