#pragma once

#include "tad/Export.h"

namespace tad {

class Banner;

// What a banner counts, for a program that keeps its own figures: a delegate (BannerDelegate)
// that also derives from this class hears it. Apart from BannerDelegate so that delegates built
// before these calls existed keep working unchanged. Every call is optional and arrives on the
// main loop.
class TAD_EXPORT BannerTrackingDelegate {
 public:
  virtual ~BannerTrackingDelegate();

  // The ad shown was counted as seen: once for each ad, after bannerDidReceiveAd.
  virtual void bannerDidRecordImpression(Banner& banner);
  // A click on the ad was counted: once for each click that opened something (a screen, or an
  // address handed to another program).
  virtual void bannerDidRecordClick(Banner& banner);
};

}  // namespace tad
