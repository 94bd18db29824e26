#include "ads/Utility/TADPrivateUtilities.h"

#include <gtest/gtest.h>

namespace {

struct Companion {
  int value = 0;
};

TEST(TADPrivateUtilitiesTest, TheRegistryOwnsCompanionsButNotTheirKeys) {
  size_t before = TADPrivateUtilities::count();
  int key = 0;
  std::weak_ptr<Companion> first;
  {
    auto companion = std::make_shared<Companion>(Companion{1});
    first = companion;
    TADPrivateUtilities::setPrivateObject(companion, &key);
  }
  ASSERT_FALSE(first.expired());
  EXPECT_EQ(TADPrivateUtilities::privateObjectForKey<Companion>(&key)->value, 1);

  TADPrivateUtilities::setPrivateObject(std::make_shared<Companion>(Companion{2}), &key);
  EXPECT_TRUE(first.expired());  // replacing releases the old companion
  EXPECT_EQ(TADPrivateUtilities::privateObjectForKey<Companion>(&key)->value, 2);

  TADPrivateUtilities::removePrivateObjectForKey(&key);
  TADPrivateUtilities::removePrivateObjectForKey(&key);
  EXPECT_EQ(TADPrivateUtilities::privateObjectForKey<Companion>(&key), nullptr);
  EXPECT_EQ(TADPrivateUtilities::count(), before);
}

}  // namespace
