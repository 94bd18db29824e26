#include "tad/BannerDelegate.h"

namespace tad {

// Out of line, so that the class's type information and virtual table live in the library.
BannerDelegate::~BannerDelegate() = default;
void BannerDelegate::bannerDidReceiveAd(Banner&) {}
void BannerDelegate::bannerDidFailToReceiveAd(Banner&, const RequestError&) {}
void BannerDelegate::bannerWillPresentScreen(Banner&) {}
void BannerDelegate::bannerWillDismissScreen(Banner&) {}
void BannerDelegate::bannerDidDismissScreen(Banner&) {}
void BannerDelegate::bannerWillLeaveApplication(Banner&) {}

}  // namespace tad
