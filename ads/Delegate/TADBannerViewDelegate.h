#pragma once

#include <memory>

class TADBannerView;
class TADRequestError;

// What a banner view tells the application. Every call is optional and arrives on the main
// thread; the view is the banner that raised the event (nullptr if it is already gone). A delegate
// must be cleared from the view before it goes away — though one that goes without that is simply
// no longer called.
class TADBannerViewDelegate {
 public:
  virtual ~TADBannerViewDelegate() = default;

  virtual void adViewDidReceiveAd(const std::shared_ptr<TADBannerView>& /*view*/) {}
  virtual void adViewDidFailToReceiveAdWithError(const std::shared_ptr<TADBannerView>& /*view*/,
                                                 const TADRequestError& /*error*/) {}
  virtual void adViewWillPresentScreen(const std::shared_ptr<TADBannerView>& /*view*/) {}
  virtual void adViewWillDismissScreen(const std::shared_ptr<TADBannerView>& /*view*/) {}
  virtual void adViewDidDismissScreen(const std::shared_ptr<TADBannerView>& /*view*/) {}
  virtual void adViewWillLeaveApplication(const std::shared_ptr<TADBannerView>& /*view*/) {}
  // The shown ad's impression was counted (its impression tracking started), and a click on it
  // (something opened for it, and its click tracking started).
  virtual void adViewDidRecordImpression(const std::shared_ptr<TADBannerView>& /*view*/) {}
  virtual void adViewDidRecordClick(const std::shared_ptr<TADBannerView>& /*view*/) {}
};
