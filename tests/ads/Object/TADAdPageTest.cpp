#include "ads/Object/TADAdPage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/UserDefaults.h"
#include "platform/sim/SimPlatform.h"
#include "tests/support/LibraryStateGuard.h"
#include "tests/support/TemporaryFolder.h"

namespace {

using Reply = platform::sim::SimURLLoading::Reply;

// The next ad's page starts with empty address lists, so the ad before it is neither counted nor
// opened again; the orientations stay until an answer names others; a page that goes takes its
// copy with it.
TEST(TADAdPageTest, ANewPageEmptiesTheListsKeepsTheOrientationsAndDeletesTheOldCopy) {
  platform::sim::SimPlatform platform;
  test_support::LibraryStateGuard state;
  test_support::TemporaryFolder caches;
  platform.setCachesDirectory(caches.path());
  platform.urlLoading().route(
      "http://ads.talvik.test/1",
      Reply::ok("<p>1</p>", {{"X-Avmo-Tracking-Urls", "http://t.example/i"},
                             {"X-Avmo-Click-Tracking-Urls", "http://t.example/c"},
                             {"X-Avmo-Orientation", "landscape"},
                             {"X-Avmo-Interstitial-Timeout", "2.5"}}));
  platform.urlLoading().route("http://ads.talvik.test/2",
                              Reply::ok("<p>2</p>", {{"X-Avmo-Orientation", "sideways"}}));
  TADAdPage page;
  auto fetch = [&](const char* url) {
    page.load({}, *base::URL::fromString(url));
    platform.runLoop().runUntilIdle();
    page.readHeaders(*page.file());
    return page.file()->filePath().value_or("");
  };

  std::string first = fetch("http://ads.talvik.test/1");
  EXPECT_EQ(page.trackingURLs().size(), 1u);
  EXPECT_EQ(page.clickURLs().size(), 1u);
  const base::Value* timeout = platform.userDefaults().objectForKey("applicationTimeout");
  ASSERT_TRUE(timeout);
  EXPECT_EQ(*timeout, base::Value(2.5f));
  ASSERT_TRUE(std::filesystem::exists(first));

  std::string second = fetch("http://ads.talvik.test/2");
  EXPECT_EQ(page.content(), "<p>2</p>");
  EXPECT_TRUE(page.trackingURLs().empty());
  EXPECT_TRUE(page.clickURLs().empty());
  EXPECT_EQ(page.orientations(), TADOrientations::Landscape);
  EXPECT_FALSE(std::filesystem::exists(first));
  page.clear();
  EXPECT_FALSE(std::filesystem::exists(second));
}

}  // namespace
