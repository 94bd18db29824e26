#include "platform/storage/UserDefaults.h"

#include <gtest/gtest.h>

#include "platform/sim/SimPlatform.h"

namespace platform {
namespace {

TEST(UserDefaultsTest, ReadsAcrossKindsWithoutFailing) {
  sim::SimPlatform platform;
  UserDefaults& defaults = UserDefaults::standard();
  defaults.setObject("n", 42);
  defaults.setObject("s", "text");
  defaults.setObject("d", base::Dictionary{{"k", 1}});
  EXPECT_EQ(defaults.integerForKey("n"), 42);
  EXPECT_EQ(defaults.stringForKey("n"), "42");
  EXPECT_EQ(defaults.integerForKey("s"), 0);
  EXPECT_FALSE(defaults.dictionaryForKey("s"));
  EXPECT_EQ(defaults.dictionaryForKey("d")->size(), 1u);
  EXPECT_FALSE(defaults.stringForKey("missing"));
  defaults.setObject("n", nullptr);  // storing nothing removes the key
  EXPECT_EQ(defaults.objectForKey("n"), nullptr);
}

}  // namespace
}  // namespace platform
