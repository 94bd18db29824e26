#pragma once

#include <memory>

class TADInterstitial;
class TADRequestError;

// The events of a full-screen ad, for the application and for the library's own use. Every call is
// optional. No full-screen ad type is built here; the delegate manager carries the receivers all
// the same so that such a type can plug in.
class TADInterstitialDelegate {
 public:
  virtual ~TADInterstitialDelegate() = default;

  virtual void interstitialDidReceiveAd(const std::shared_ptr<TADInterstitial>& /*ad*/) {}
  virtual void interstitialDidFailToReceiveAdWithError(
      const std::shared_ptr<TADInterstitial>& /*ad*/, const TADRequestError& /*error*/) {}
  virtual void interstitialWillPresentScreen(const std::shared_ptr<TADInterstitial>& /*ad*/) {}
  virtual void interstitialWillDismissScreen(const std::shared_ptr<TADInterstitial>& /*ad*/) {}
  virtual void interstitialDidDismissScreen(const std::shared_ptr<TADInterstitial>& /*ad*/) {}
  virtual void interstitialWillLeaveApplication(const std::shared_ptr<TADInterstitial>& /*ad*/) {}
};
