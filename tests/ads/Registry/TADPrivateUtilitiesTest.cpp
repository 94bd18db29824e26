#include "ads/Registry/TADPrivateUtilities.h"

#include <gtest/gtest.h>

namespace {

struct Owner {};
struct Companion {
  int value = 0;
};
struct Stranger {};

}  // namespace

template <>
struct TADPrivateCompanion<Owner> {
  using type = Companion;
};

namespace {

// A key's kind fixes what may be filed under it and what comes back.
template <typename Key, typename Value>
concept Files = requires(std::shared_ptr<Value> value, const Key* key) {
  TADPrivateUtilities::setPrivateObject(value, key);
};
static_assert(Files<Owner, Companion>);
static_assert(!Files<Owner, Stranger>);
static_assert(!Files<Stranger, Stranger>);
static_assert(std::is_same_v<decltype(TADPrivateUtilities::privateObjectForKey(
                                 static_cast<const Owner*>(nullptr))),
                             std::shared_ptr<Companion>>);

TEST(TADPrivateUtilitiesTest, TheRegistryOwnsCompanionsButNotTheirKeys) {
  size_t before = TADPrivateUtilities::count();
  Owner key;
  auto companion = std::make_shared<Companion>(Companion{1});
  std::weak_ptr<Companion> first = companion;
  TADPrivateUtilities::setPrivateObject(std::move(companion), &key);
  ASSERT_FALSE(first.expired());
  EXPECT_EQ(TADPrivateUtilities::privateObjectForKey(&key)->value, 1);

  TADPrivateUtilities::setPrivateObject(std::make_shared<Companion>(Companion{2}), &key);
  EXPECT_TRUE(first.expired());  // replacing releases the old companion
  EXPECT_EQ(TADPrivateUtilities::privateObjectForKey(&key)->value, 2);

  TADPrivateUtilities::removePrivateObjectForKey(&key);
  TADPrivateUtilities::removePrivateObjectForKey(&key);
  EXPECT_EQ(TADPrivateUtilities::privateObjectForKey(&key), nullptr);
  EXPECT_EQ(TADPrivateUtilities::count(), before);
}

}  // namespace
