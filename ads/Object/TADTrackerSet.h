#pragma once

#include <memory>
#include <set>
#include <vector>

#include "ads/Network/TADClickTrackerDelegate.h"
#include "base/URL.h"

// An ad's tracking fetches in flight: each address is followed by a click tracker of its own,
// which the set owns until it reports that it has tracked (it is dropped on a later pass). The
// trackers still at work are told to reset when the set goes.
class TADTrackerSet : public TADClickTrackerDelegate,
                      public std::enable_shared_from_this<TADTrackerSet> {
 public:
  ~TADTrackerSet() override;

  void track(const std::vector<base::URL>& urls);
  const std::set<std::shared_ptr<TADClickTracker>>& trackers() const { return trackers_; }
  // Drops the clean-ups still on their way.
  void cancelPendingCleanups();

  void trackerDidFailWithError(TADClickTracker& tracker,
                               const std::optional<base::Error>& error) override;
  void trackerDidRedirect(TADClickTracker& tracker, const base::URL& url) override;

 private:
  // cleanupTrackers() on the next pass: drops every tracker that has tracked.
  void cleanupLater();
  void cleanupTrackers();

  std::set<std::shared_ptr<TADClickTracker>> trackers_;
};
