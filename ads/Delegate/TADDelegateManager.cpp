#include "ads/Delegate/TADDelegateManager.h"

#include "ads/Request/TADRequestError.h"
#include "platform/core/RunLoop.h"

void TADDelegateManager::dispatch(const BannerCall& banner, const InterstitialCall& interstitial) {
  platform::RunLoop& loop = platform::RunLoop::main();
  if (!loop.isMainThread()) {
    loop.invokeOnMainAndWait([&] { dispatch(banner, interstitial); });
    return;
  }
  std::shared_ptr<TADDelegateManager> self = shared_from_this();
  if (auto delegate = didYouNilOutYourDelegate(bannerDelegate_)) banner(*delegate, adView_.lock());
  if (auto delegate = didYouNilOutYourDelegate(sdkInterstitialDelegate_)) {
    interstitial(*delegate, interstitial_.lock());
  }
  if (auto delegate = didYouNilOutYourDelegate(interstitialDelegate_)) {
    interstitial(*delegate, interstitial_.lock());
  }
}

void TADDelegateManager::didReceiveAd() {
  dispatch([](auto& d, const auto& view) { d.adViewDidReceiveAd(view); },
           [](auto& d, const auto& ad) { d.interstitialDidReceiveAd(ad); });
}

void TADDelegateManager::didFailToReceiveAdWithError(
    const std::shared_ptr<const TADRequestError>& error) {
  if (!error) return;
  dispatch([&](auto& d, const auto& view) { d.adViewDidFailToReceiveAdWithError(view, *error); },
           [&](auto& d, const auto& ad) { d.interstitialDidFailToReceiveAdWithError(ad, *error); });
}

void TADDelegateManager::willPresentScreen() {
  dispatch([](auto& d, const auto& view) { d.adViewWillPresentScreen(view); },
           [](auto& d, const auto& ad) { d.interstitialWillPresentScreen(ad); });
}

void TADDelegateManager::willDismissScreen() {
  dispatch([](auto& d, const auto& view) { d.adViewWillDismissScreen(view); },
           [](auto& d, const auto& ad) { d.interstitialWillDismissScreen(ad); });
}

void TADDelegateManager::didDismissScreen() {
  dispatch([](auto& d, const auto& view) { d.adViewDidDismissScreen(view); },
           [](auto& d, const auto& ad) { d.interstitialDidDismissScreen(ad); });
}

void TADDelegateManager::willLeaveApplication() {
  dispatch([](auto& d, const auto& view) { d.adViewWillLeaveApplication(view); },
           [](auto& d, const auto& ad) { d.interstitialWillLeaveApplication(ad); });
}

void TADDelegateManager::didRecordImpression() {
  dispatch([](auto& d, const auto& view) { d.adViewDidRecordImpression(view); },
           [](auto&, const auto&) {});
}

void TADDelegateManager::didRecordClick() {
  dispatch([](auto& d, const auto& view) { d.adViewDidRecordClick(view); },
           [](auto&, const auto&) {});
}
