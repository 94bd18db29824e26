#include "ads/Network/TADClickTracker.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "ads/Configuration/TADErrorDomain.h"
#include "ads/Statistics/TADStatistics.h"
#include "base/ASCII.h"
#include "platform/Platform.h"
#include "platform/net/URLError.h"

std::shared_ptr<TADClickTracker> TADClickTracker::init() {
  return std::make_shared<TADClickTracker>(Passkey{});
}

TADClickTracker::~TADClickTracker() {
  reset();
}

int64_t& TADClickTracker::trackingCount() {
  static int64_t count = 0;
  return count;
}

bool TADClickTracker::activeTrackings() {
  return trackingCount() != 0;
}

void TADClickTracker::trackURL(const std::optional<base::URL>& url) {
  if (!url) return;
  reset();
  beginBackgroundTask();
  // A tracking address is the ad's to choose, and so is every body on its way: nothing of it is
  // kept, so that no answer can take the place of a copy the library relies on.
  file_ = TADCachedFile::initWithDelegate(weak_from_this(), *url, TADCachedFile::Storage::None);
  file_->setTimeoutInterval(kTimeLimit);
  file_->setNetworkServiceType(platform::URLRequest::NetworkServiceType::Background);
  std::weak_ptr<TADClickTracker> weakSelf = weak_from_this();
  timeLimit_ = platform::RunLoop::main().startTimer(kTimeLimit, [weakSelf] {
    if (auto self = weakSelf.lock()) self->giveUp();
  });
  file_->validate();
}

void TADClickTracker::giveUp() {
  if (hasTracked_ || !file_) return;
  auto file = file_;
  file->setDelegate({});
  file->cancel();
  cachedFileDownloadDidFail(
      *file,
      platform::URLError::make(platform::URLError::TimedOut, file->sourceURL().absoluteString(),
                               "the tracking did not end within its time limit"));
}

std::optional<base::URL> TADClickTracker::trackingURL() const {
  if (!file_) return std::nullopt;
  return file_->httpDestinationURL();
}

void TADClickTracker::reset() {
  hasTracked_ = false;
  timeLimit_.stop();
  if (file_) {
    file_->setDelegate({});
    file_->invalidate();
    file_.reset();
  }
  endBackgroundTask();
}

void TADClickTracker::beginBackgroundTask() {
  platform::Application& application = platform::Application::shared();
  if (application.supportsBackgroundTasks()) {
    std::weak_ptr<TADClickTracker> weakSelf = weak_from_this();
    backgroundTask_ = application.beginBackgroundTask([weakSelf] {
      if (auto self = weakSelf.lock()) self->reset();
    });
    if (backgroundTask_ != platform::Application::kInvalidBackgroundTask) return;
  }
  ++trackingCount();
  counted_ = true;
}

void TADClickTracker::endBackgroundTask() {
  if (backgroundTask_ != platform::Application::kInvalidBackgroundTask) {
    platform::Application::BackgroundTaskIdentifier task = backgroundTask_;
    backgroundTask_ = platform::Application::kInvalidBackgroundTask;
    platform::Application::endSharedBackgroundTask(task);
    return;
  }
  if (!counted_) return;
  counted_ = false;
  if (trackingCount() > 0) --trackingCount();
}

base::Expected<void> TADClickTracker::cachedFileShouldRedirectToURL(TADCachedFile& file,
                                                                    const base::URL& url) {
  if (url.schemeBeginsWithHTTP()) return {};
  // Another application's address is where the click was meant to go: the tracking is done, and
  // the fetch stops here (its failure report is then ignored).
  cachedFileDownloadDidEnd(file);
  return base::Error(std::string(kTADErrorDomain), 0);
}

void TADClickTracker::cachedFileDownloadDidEnd(TADCachedFile& file) {
  if (hasTracked_) return;
  auto self = shared_from_this();
  hasTracked_ = true;
  timeLimit_.stop();
  TADStatistics::sharedStatistics().addClickTrackingURL(file.sourceURL());
  if (auto delegate = delegate_.lock())
    delegate->trackerDidRedirect(*this, file.httpDestinationURL());
  endBackgroundTask();
}

void TADClickTracker::cachedFileDownloadDidFail(TADCachedFile&,
                                                const std::optional<base::Error>& error) {
  if (hasTracked_) return;
  auto self = shared_from_this();
  hasTracked_ = true;
  timeLimit_.stop();
  if (auto delegate = delegate_.lock()) delegate->trackerDidFailWithError(*this, error);
  endBackgroundTask();
}
