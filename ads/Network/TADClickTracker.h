#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "ads/Network/TADCachedFile.h"
#include "ads/Network/TADClickTrackerDelegate.h"
#include "platform/Application.h"
#include "platform/core/RunLoop.h"

// Follows one click or tracking address to its end with a cached file: HTTP and HTTPS redirects
// are followed; the first redirect to any other scheme (another application, a store) ends the
// tracking as a success without being requested. A success records the tracked address with the
// statistics and tells the delegate the final address; a failure tells the delegate the error.
// Each tracking ends exactly once, and a new trackURL or reset drops a running one silently. The
// bodies on the way are read and dropped: a tracking writes no file and keeps no body.
//
// A tracking is background traffic (platform::URLRequest): it never holds the connections that
// the ad's loads need. It has kTimeLimit seconds to end; one that has not ended by then (a server
// that never answers, or trickles its answer) is dropped and ends as a failure with
// URLError::TimedOut.
//
// While a tracking runs the tracker holds a background task where the application offers them,
// so that it can finish after the user has left; where it does not, it counts itself in a
// process-wide count (activeTrackings) that lets the opener wait a little before leaving.
class TADClickTracker : public TADCachedFileDelegate,
                        public std::enable_shared_from_this<TADClickTracker> {
  struct Passkey {};

 public:
  // A tracking server answers within a few seconds when it answers at all. Nobody waits for the
  // answer, but a tracking that runs holds a connection that other trackings queue for, and keeps
  // the opener waiting where there are no background tasks.
  static constexpr double kTimeLimit = 10;

  static std::shared_ptr<TADClickTracker> init();
  explicit TADClickTracker(Passkey) {}
  ~TADClickTracker() override;
  TADClickTracker(const TADClickTracker&) = delete;
  TADClickTracker& operator=(const TADClickTracker&) = delete;

  // Whether trackings run that hold no background task.
  static bool activeTrackings();

  std::shared_ptr<TADClickTrackerDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(std::weak_ptr<TADClickTrackerDelegate> delegate) {
    delegate_ = std::move(delegate);
  }

  // Starts following url, after dropping any earlier tracking; none starts nothing.
  void trackURL(const std::optional<base::URL>& url);
  // Where the current tracking has got to (after redirects); none between trackings.
  std::optional<base::URL> trackingURL() const;
  // True once the current tracking has ended, either way.
  bool hasTracked() const { return hasTracked_; }
  // Stops and forgets the current tracking.
  void reset();

  void beginBackgroundTask();
  void endBackgroundTask();

  void cachedFileDownloadDidFail(TADCachedFile& file,
                                 const std::optional<base::Error>& error) override;
  void cachedFileDownloadDidEnd(TADCachedFile& file) override;
  base::Expected<void> cachedFileShouldRedirectToURL(TADCachedFile& file,
                                                     const base::URL& url) override;

 private:
  static int64_t& trackingCount();
  // The time limit's end: the fetch is dropped and the tracking fails.
  void giveUp();

  std::weak_ptr<TADClickTrackerDelegate> delegate_;
  std::shared_ptr<TADCachedFile> file_;
  bool hasTracked_ = false;
  platform::Application::BackgroundTaskIdentifier backgroundTask_ =
      platform::Application::kInvalidBackgroundTask;
  // Whether this tracker is one of trackingCount, so that it takes back only what it added.
  bool counted_ = false;
  platform::RunLoop::Timer timeLimit_;
};
