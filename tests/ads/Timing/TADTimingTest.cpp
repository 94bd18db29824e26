#include "ads/Timing/TADTiming.h"

#include <gtest/gtest.h>

#include "ads/Timing/TADTimingManager.h"
#include "platform/sim/SimPlatform.h"

namespace {

class TADTimingTest : public ::testing::Test {
 protected:
  platform::sim::SimPlatform platform;
  void wait(double seconds) { platform.runLoop().advance(seconds); }
};

TEST_F(TADTimingTest, MeasuresFromStartToEndOrToNowWhileRunning) {
  TADTiming timing("prl");
  timing.end();  // before a start: nothing
  EXPECT_EQ(timing.elapsedMilliseconds(), 0u);
  EXPECT_FALSE(timing.isActive());
  timing.start();
  wait(0.25);
  EXPECT_TRUE(timing.isActive());
  EXPECT_EQ(timing.elapsedMilliseconds(), 250u);
  wait(1.25);
  EXPECT_EQ(timing.elapsedMilliseconds(), 1500u);  // running: up to now each time
  timing.end();
  wait(3);
  EXPECT_EQ(timing.elapsedMillisecondsString(), "1500");
  EXPECT_FALSE(timing.isActive());
  timing.end();  // ending again moves the end
  EXPECT_EQ(timing.elapsedMilliseconds(), 4500u);
  timing.reset();
  EXPECT_EQ(timing.elapsedMilliseconds(), 0u);
}

TEST_F(TADTimingTest, TheDictionaryFormReadsBackClampedAndCarriesValuesOnceThereAreSome) {
  auto later = TADTiming::initWithDictionaryRepresentation(
      {{"category", "ptime"}, {"start", TADTiming::counter() + 100}, {"end", 0}});
  EXPECT_EQ(later->elapsedMilliseconds(), 0u);
  auto huge = TADTiming::initWithDictionaryRepresentation(
      {{"category", "ptime"}, {"start", 1e-3}, {"end", 1e12}});
  EXPECT_EQ(huge->elapsedMilliseconds(), UINT32_MAX);

  TADTiming timing("pcl");
  base::Dictionary plain = timing.dictionaryRepresentation();
  EXPECT_EQ(plain.size(), 3u);
  EXPECT_TRUE(plain.contains("category") && plain.contains("start") && plain.contains("end"));
  timing.setValue(nullptr, "ignored");
  EXPECT_EQ(timing.dictionaryRepresentation().size(), 4u);  // the (empty) values now exist
  timing.setValue("ad-7", "id");

  auto copy = timing.copy();
  copy->setValue(3, "extra");
  EXPECT_EQ(timing.valueForKey("extra"), nullptr);
  EXPECT_EQ(*copy->valueForKey("id"), base::Value("ad-7"));
  EXPECT_FALSE(TADTiming::initWithDictionaryRepresentation({{"start", 1}}));
  auto typeless = TADTiming::initWithDictionaryRepresentation(
      {{"category", "x"}, {"start", "soon"}, {"userData", "not a dictionary"}});
  EXPECT_EQ(typeless->startSeconds(), 0);
  EXPECT_TRUE(typeless->keysAndValues().empty());
}

TEST_F(TADTimingTest, ASetSurvivesInTheUserDefaultsAcrossManagersButNotAcrossBoots) {
  {
    TADTimingManager manager = TADTimingManager::initWithIdentifier("shared");
    auto running = manager.addTimingWithCategory("ptime");
    running->start();
    running->setValue(2, "n");
    manager.addTimingWithCategory("plpl")->start();
    manager.timingForCategory("plpl")->end();
    auto replaced = manager.addTimingWithCategory("plpl");
    EXPECT_EQ(manager.timingForCategory("plpl"), replaced);
    EXPECT_FALSE(replaced->isActive());
    manager.synchronize();
  }
  wait(2);
  TADTimingManager reloaded = TADTimingManager::initWithIdentifier("shared");
  EXPECT_EQ(reloaded.categories(), (std::vector<std::string>{"ptime", "plpl"}));
  auto running = reloaded.timingForCategory("ptime");
  EXPECT_TRUE(running->isActive());
  EXPECT_EQ(running->elapsedMilliseconds(), 2000u);
  EXPECT_EQ(*running->valueForKey("n"), base::Value(2));
  EXPECT_TRUE(platform.userDefaults().dictionaryForKey("talvik_timing_shared"));

  // Timings stored in another boot are dropped.
  platform.clock().setBootIdentifier("second-simulated-boot");
  TADTimingManager afterReboot = TADTimingManager::initWithIdentifier("shared");
  EXPECT_TRUE(afterReboot.categories().empty());
  afterReboot.addTimingWithCategory("prl")->start();
  afterReboot.synchronize();
  EXPECT_EQ(TADTimingManager::initWithIdentifier("shared").categories(),
            std::vector<std::string>{"prl"});
}

TEST_F(TADTimingTest, TheSetIsSavedWhenTheApplicationTerminates) {
  TADTimingManager manager = TADTimingManager::initWithIdentifier("t");
  manager.addTimingWithCategory("prl");
  EXPECT_FALSE(platform.userDefaults().objectForKey("talvik_timing_t"));
  platform.application().terminate();
  auto stored = platform.userDefaults().dictionaryForKey("talvik_timing_t");
  ASSERT_TRUE(stored);
  EXPECT_TRUE(stored->contains("prl"));
}

TEST_F(TADTimingTest, StoredEntriesWithoutACategoryOrOfTheWrongKindAreRepaired) {
  const std::string boot = platform.clock().bootIdentifier();
  platform.userDefaults().setObject(
      "talvik_timing_bad", base::Dictionary{{"prl", base::Dictionary{{"start", 5}, {"boot", boot}}},
                                            {"unknown boot", base::Dictionary{{"start", 5}}},
                                            {"junk", "text"},
                                            {"pcl", 3}});
  TADTimingManager manager = TADTimingManager::initWithIdentifier("bad");
  EXPECT_EQ(manager.categories(), (std::vector<std::string>{"prl"}));
  EXPECT_EQ(manager.timingForCategory("prl")->startSeconds(), 5);
}

}  // namespace
