#include "tad/BannerTrackingDelegate.h"

namespace tad {

// Out of line, so that the class's type information and virtual table live in the library.
BannerTrackingDelegate::~BannerTrackingDelegate() = default;
void BannerTrackingDelegate::bannerDidRecordImpression(Banner&) {}
void BannerTrackingDelegate::bannerDidRecordClick(Banner&) {}

}  // namespace tad
