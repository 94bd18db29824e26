#pragma once

#include <string>
#include <vector>

#include "ads/Request/TADRequestError.h"
#include "ads/View/TADBannerViewDelegate.h"

// Records every banner event with the view it named.
class RecordingBannerDelegate : public TADBannerViewDelegate {
 public:
  std::vector<std::string> events;
  std::vector<std::shared_ptr<TADBannerView>> views;
  std::vector<std::shared_ptr<const base::Error>> errors;

  void adViewDidReceiveAd(const std::shared_ptr<TADBannerView>& v) override { note("receive", v); }
  void adViewDidFailToReceiveAdWithError(const std::shared_ptr<TADBannerView>& v,
                                         const TADRequestError& error) override {
    errors.push_back(std::make_shared<base::Error>(error));
    note("fail", v);
  }
  void adViewWillPresentScreen(const std::shared_ptr<TADBannerView>& v) override {
    note("present", v);
  }
  void adViewWillDismissScreen(const std::shared_ptr<TADBannerView>& v) override {
    note("willDismiss", v);
  }
  void adViewDidDismissScreen(const std::shared_ptr<TADBannerView>& v) override {
    note("didDismiss", v);
  }
  void adViewWillLeaveApplication(const std::shared_ptr<TADBannerView>& v) override {
    note("leave", v);
  }

 private:
  void note(const char* event, const std::shared_ptr<TADBannerView>& view) {
    events.push_back(event);
    views.push_back(view);
  }
};
