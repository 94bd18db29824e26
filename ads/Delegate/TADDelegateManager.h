#pragma once

#include <functional>
#include <memory>

#include "ads/Delegate/TADBannerViewDelegate.h"
#include "ads/Delegate/TADInterstitialDelegate.h"

// Passes the ad object's events to the application's delegates, always on the main thread: an
// event raised on another thread is run on the main thread while the raising thread waits. None
// of the receivers is kept alive by the manager; one that is gone is not called. The manager and
// each delegate stay alive until a callback returns, even if the callback lets go of the ad.
class TADDelegateManager : public std::enable_shared_from_this<TADDelegateManager> {
 public:
  std::shared_ptr<TADBannerViewDelegate> bannerDelegate() const { return bannerDelegate_.lock(); }
  void setBannerDelegate(std::weak_ptr<TADBannerViewDelegate> delegate) {
    bannerDelegate_ = std::move(delegate);
  }
  std::shared_ptr<TADBannerView> adView() const { return adView_.lock(); }
  void setAdView(std::weak_ptr<TADBannerView> view) { adView_ = std::move(view); }
  std::shared_ptr<TADInterstitialDelegate> interstitialDelegate() const {
    return interstitialDelegate_.lock();
  }
  void setInterstitialDelegate(std::weak_ptr<TADInterstitialDelegate> delegate) {
    interstitialDelegate_ = std::move(delegate);
  }
  std::shared_ptr<TADInterstitial> interstitial() const { return interstitial_.lock(); }
  void setInterstitial(std::weak_ptr<TADInterstitial> ad) { interstitial_ = std::move(ad); }
  std::shared_ptr<TADInterstitialDelegate> sdkInterstitialDelegate() const {
    return sdkInterstitialDelegate_.lock();
  }
  void setSdkInterstitialDelegate(std::weak_ptr<TADInterstitialDelegate> delegate) {
    sdkInterstitialDelegate_ = std::move(delegate);
  }

  void didReceiveAd();
  void didFailToReceiveAdWithError(const std::shared_ptr<const TADRequestError>& error);
  void willPresentScreen();
  void willDismissScreen();
  void didDismissScreen();
  void willLeaveApplication();
  // Banner events only: an interstitial has no such calls.
  void didRecordImpression();
  void didRecordClick();

 private:
  using BannerCall =
      std::function<void(TADBannerViewDelegate&, const std::shared_ptr<TADBannerView>&)>;
  using InterstitialCall =
      std::function<void(TADInterstitialDelegate&, const std::shared_ptr<TADInterstitial>&)>;

  // Re-runs itself on the main thread when called elsewhere, then calls the banner delegate, the
  // library's interstitial delegate and the application's interstitial delegate in that order.
  void dispatch(const BannerCall& banner, const InterstitialCall& interstitial);
  // The delegate, held strongly across its callback, or none when it is gone. Applications are
  // told to clear a delegate before letting it go; one that did not is skipped, never called.
  template <typename Delegate>
  static std::shared_ptr<Delegate> didYouNilOutYourDelegate(
      const std::weak_ptr<Delegate>& delegate) {
    return delegate.lock();
  }

  std::weak_ptr<TADBannerViewDelegate> bannerDelegate_;
  std::weak_ptr<TADBannerView> adView_;
  std::weak_ptr<TADInterstitialDelegate> interstitialDelegate_;
  std::weak_ptr<TADInterstitial> interstitial_;
  std::weak_ptr<TADInterstitialDelegate> sdkInterstitialDelegate_;
};
