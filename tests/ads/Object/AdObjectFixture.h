#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "ads/Network/TADCachePath.h"
#include "ads/Object/TADObjectPrivate.h"
#include "ads/Request/TADRequestPrivate.h"
#include "ads/Statistics/TADStatistics.h"
#include "ads/View/TADBannerView.h"
#include "ads/View/TADWebView.h"
#include "platform/sim/SimPlatform.h"
#include "platform/sim/SimWebViewPeer.h"
#include "platform/ui/ViewController.h"
#include "tests/ads/RecordingBannerDelegate.h"
#include "tests/ads/StandInContributors.h"
#include "tests/support/LibraryStateGuard.h"
#include "tests/support/TemporaryFolder.h"

// A banner on the simulated platform, with the page script and an ad page scripted on the
// simulated network, and steps that walk a load down its road.
class AdObjectFixture : public ::testing::Test {
 protected:
  using Reply = scriptedhttp::ScriptedReply;
  using SimWebViewPeer = platform::sim::SimWebViewPeer;
  static constexpr const char* kScriptText = "function AVMO_buildAdURL(p) {}";
  static constexpr const char* kAd = "http://ads.talvik.test/ad";

  AdObjectFixture() {
    platform.setCachesDirectory(caches_.path());
    platform.application().finishLaunching();
    view->setRootViewController(root);
    view->setDelegate(delegate);
    platform.urlLoading().setFallback([this](const platform::URLRequest& request) {
      std::string url = request.url().absoluteString();
      auto found = replies_.find(url.substr(0, url.find('?')));
      return found == replies_.end() ? Reply::fail(platform::URLError::CannotConnectToHost)
                                     : found->second;
    });
    serveScript(Reply::ok(kScriptText));
    serveAd(Reply::ok("<p>ad</p>"));
  }

  std::string scriptURL() const { return TADObjectPrivate::jsBuildAdURL().absoluteString(); }
  void serveScript(Reply reply) { platform.urlLoading().route(scriptURL(), std::move(reply)); }
  // Routes by address without its query, which carries the signal pair.
  void serve(const std::string& url, Reply reply) { replies_[url] = std::move(reply); }
  void serveAd(Reply reply) { serve(kAd, std::move(reply)); }
  int requestsFor(const std::string& url) {
    int count = 0;
    for (const auto& request : platform.urlLoading().sentRequests())
      count += request.url().absoluteString().starts_with(url);
    return count;
  }

  TADObjectPrivate& object() { return *TADObjectPrivate::ofView(*view); }
  SimWebViewPeer& buildPeer() { return SimWebViewPeer::of(*object().buildAdWebView()); }
  SimWebViewPeer& bannerPeer() { return SimWebViewPeer::of(*view->webView()); }

  void load() {
    view->loadRequest(TADRequest::request());
    platform.runLoop().runUntilIdle();
  }
  // The page script's answer, as a page message from the build page.
  void answer(const std::string& message) {
    buildPeer().navigate("gmsg://x/" + message, platform::WebViewNavigationType::Other);
    platform.runLoop().runUntilIdle();
  }
  void answerAd() { answer("loadAdURL?url=http%3A%2F%2Fads.talvik.test%2Fad&type=t"); }
  void finishBanner() {
    bannerPeer().finishLoad();
    platform.runLoop().runUntilIdle();
  }
  // Request, script, ad page and banner page: the ad is shown.
  void loadToShown() {
    load();
    answerAd();
    finishBanner();
  }

  platform::sim::SimPlatform platform;
  test_support::LibraryStateGuard state;
  ScopedStandIns standIns;
  test_support::TemporaryFolder caches_;
  std::shared_ptr<TADBannerView> view = TADBannerView::initWithFrame({0, 430, 320, 50});
  std::shared_ptr<platform::ViewController> root = std::make_shared<platform::ViewController>();
  std::shared_ptr<RecordingBannerDelegate> delegate = std::make_shared<RecordingBannerDelegate>();
  std::map<std::string, Reply> replies_;
};
