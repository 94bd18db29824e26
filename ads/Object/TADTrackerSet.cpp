#include "ads/Object/TADTrackerSet.h"

#include "ads/Network/TADClickTracker.h"
#include "platform/core/RunLoop.h"

TADTrackerSet::~TADTrackerSet() {
  for (const auto& tracker : trackers_)
    tracker->reset();
  cancelPendingCleanups();
}

void TADTrackerSet::track(const std::vector<base::URL>& urls) {
  for (const base::URL& url : urls) {
    auto tracker = TADClickTracker::init();
    tracker->setDelegate(weak_from_this());
    tracker->trackURL(url);
    trackers_.insert(tracker);
  }
}

void TADTrackerSet::cancelPendingCleanups() {
  platform::RunLoop::cancelOnMain(this);
}

void TADTrackerSet::trackerDidFailWithError(TADClickTracker&, const std::optional<base::Error>&) {
  cleanupLater();
}

void TADTrackerSet::trackerDidRedirect(TADClickTracker&, const base::URL&) {
  cleanupLater();
}

void TADTrackerSet::cleanupLater() {
  platform::RunLoop::main().post(0, this, [this] { cleanupTrackers(); });
}

void TADTrackerSet::cleanupTrackers() {
  std::erase_if(trackers_, [](const auto& tracker) { return tracker->hasTracked(); });
}
