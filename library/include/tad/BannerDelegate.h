#pragma once

#include "tad/Export.h"
#include "tad/RequestError.h"

namespace tad {

class Banner;

// What a banner tells the program, on the main loop. Every call is optional. A banner only
// observes its delegate: one that is gone is no longer called.
class TAD_EXPORT BannerDelegate {
 public:
  virtual ~BannerDelegate();

  // The banner shows a new ad.
  virtual void bannerDidReceiveAd(Banner& banner);
  // No ad this time; the banner tries again on the server's schedule.
  virtual void bannerDidFailToReceiveAd(Banner& banner, const RequestError& error);
  // A click on the ad is about to cover the program's window with a full-screen screen (a
  // browser, a web app): the program may pause what it shows.
  virtual void bannerWillPresentScreen(Banner& banner);
  virtual void bannerWillDismissScreen(Banner& banner);
  virtual void bannerDidDismissScreen(Banner& banner);
  // A click on the ad hands an address to another program.
  virtual void bannerWillLeaveApplication(Banner& banner);
};

}  // namespace tad
