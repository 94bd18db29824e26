#pragma once

#include <string>
#include <vector>

#include "ads/Delegate/TADBannerViewDelegate.h"
#include "ads/Request/TADRequestError.h"

// Records every banner event with the view it named.
class RecordingBannerDelegate : public TADBannerViewDelegate {
  using Banner = std::shared_ptr<TADBannerView>;

 public:
  std::vector<std::string> events;
  std::vector<Banner> views;
  std::vector<std::shared_ptr<const base::Error>> errors;

  void adViewDidReceiveAd(const Banner& v) override { note("receive", v); }
  void adViewDidFailToReceiveAdWithError(const Banner& v, const TADRequestError& error) override {
    errors.push_back(std::make_shared<base::Error>(error));
    note("fail", v);
  }
  void adViewWillPresentScreen(const Banner& v) override { note("present", v); }
  void adViewWillDismissScreen(const Banner& v) override { note("willDismiss", v); }
  void adViewDidDismissScreen(const Banner& v) override { note("didDismiss", v); }
  void adViewWillLeaveApplication(const Banner& v) override { note("leave", v); }

 private:
  void note(const char* event, const Banner& view) {
    events.push_back(event);
    views.push_back(view);
  }
};
