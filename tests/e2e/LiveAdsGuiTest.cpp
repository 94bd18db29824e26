// The whole road of a banner ad, end to end: the library in the real web view (WebKitGTK under
// Xvfb) against the reference ad network on a loopback port, read from the network's request log
// and the banner delegate's calls.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "adnetwork/AdNetwork.h"
#include "ads/Network/TADCachedFile.h"
#include "ads/Request/TADRequest.h"
#include "ads/Request/TADRequestError.h"
#include "platform/storage/UserDefaults.h"
#include "tests/e2e/BannerScreenFixture.h"

namespace {

using adnetwork::AdNetwork;
namespace glib = platform::glib;

// The files the library keeps in the application's caches folder, but for the page script's copy.
std::vector<std::string> cachedPages() {
  std::string script = TADCachedFile::initWithDelegate({}, TADObjectPrivate::jsBuildAdURL(),
                                                       TADCachedFile::Storage::PageScript)
                           ->filePath()
                           .value();
  std::vector<std::string> pages;
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator(platform::cachesDirectory().value())) {
    if (entry.is_regular_file() && entry.path() != script) pages.push_back(entry.path());
  }
  return pages;
}

class LiveAdsGuiTest : public BannerScreenFixture {
 protected:
  void SetUp() override {
    AdNetwork::Options options;
    options.refreshSeconds = 0;
    auto started = AdNetwork::start(options);
    ASSERT_TRUE(started) << started.error().localizedDescription();
    network = std::move(*started);
    patience = 15;
    launchBanner(network->origin(), "live-slot");
  }

  std::unique_ptr<AdNetwork> network;
};

TEST_F(LiveAdsGuiTest, EachFaultEndsInItsErrorCodeAndARetryOnScheduleLeavingNothingBehind) {
  struct Case {
    AdNetwork::Route route;
    AdNetwork::FaultPlan fault;
    int64_t code;
  };
  using F = AdNetwork::Fault;
  using R = AdNetwork::Route;
  const std::vector<Case> cases = {
      {R::Ad, {F::EmptyPage}, TADRequestErrorNoAd},
      {R::Ad, {F::CloseMidAnswer}, TADRequestErrorNetwork},
      {R::Script, {F::ScriptThrows}, TADRequestErrorTimeout},
  };
  object()->setTimeLimits(1, 2);
  object()->setRefreshLimits(0.3, 0.3);
  network->setRefreshSeconds(0.3);
  banner->loadRequest(TADRequest::request());
  ASSERT_EQ(nextEvent(), "receive");

  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.fault.fault) * 1000 + c.fault.status);
    if (c.route == R::Script) {
      // The stored script is good for a day: forget its date, so that the next load asks again.
      platform::UserDefaults::standard().removeObjectForKey("talvik_stats_TADObjectPrivate");
    }
    network->injectFault(c.route, c.fault);
    ASSERT_EQ(nextEvent(), "fail");
    EXPECT_EQ(delegate->errors.back()->code(), c.code);
    EXPECT_EQ(object()->buildAdWebView(), nullptr);
    EXPECT_FALSE(object()->adHTML() && object()->adHTML()->isFetching());
    // A failed page left no copy and took the ad before with it; an empty page is a page, and a
    // failure before the page leaves the ad before as it was.
    std::vector<std::string> expected;
    if (c.code == TADRequestErrorNoAd || c.route == R::Script) {
      expected.push_back(object()->adHTML()->filePath().value());
    }
    EXPECT_EQ(cachedPages(), expected);
    if (c.route == R::Script) {
      platform::UserDefaults::standard().removeObjectForKey("talvik_stats_TADObjectPrivate");
    }
    // The retry comes by itself: on the back-off after the network's fault, on the period the
    // last ad named after its empty page.
    ASSERT_EQ(nextEvent(), "receive");
    EXPECT_TRUE(banner->hasAutoRefreshed());
  }
}

}  // namespace
