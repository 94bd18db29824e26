#include "platform/sim/SimApplication.h"

#include "platform/core/RunLoop.h"

namespace platform::sim {

bool SimApplication::openURL(const base::URL& url) {
  calls_.push_back("openURL " + url.absoluteString());
  if (!handledSchemes_.count(url.scheme())) return false;
  openedURLs_.push_back(url.absoluteString());
  return true;
}

bool SimApplication::canOpenURL(const base::URL& url) const {
  calls_.push_back("canOpenURL " + url.absoluteString());
  return handledSchemes_.count(url.scheme()) > 0;
}

void SimApplication::sendMail(const MailMessage& message,
                              std::function<void(const std::optional<base::Error>&)> done) {
  calls_.push_back("sendMail");
  if (!mailError_) sentMails_.push_back(message);
  RunLoop::main().post([done = std::move(done), error = mailError_] { done(error); });
}

void SimApplication::statusBarHiddenChanged(bool hidden, bool animated) {
  calls_.push_back(std::string("setStatusBarHidden ") + (hidden ? "YES" : "NO") +
                   (animated ? " animated" : ""));
}

void SimApplication::idleTimerChanged(bool disabled) {
  calls_.push_back(std::string("setIdleTimerDisabled ") + (disabled ? "YES" : "NO"));
}

void SimApplication::backgroundTaskBegan(BackgroundTaskIdentifier identifier) {
  calls_.push_back("beginBackgroundTask " + std::to_string(identifier));
}

void SimApplication::backgroundTaskEnded(BackgroundTaskIdentifier identifier) {
  calls_.push_back("endBackgroundTask " + std::to_string(identifier));
}

}  // namespace platform::sim
