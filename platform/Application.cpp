#include "platform/Application.h"

#include "platform/core/NotificationCenter.h"
#include "platform/core/RunLoop.h"
#include "platform/ui/Screen.h"

namespace platform {

void Application::post(std::string_view name) {
  NotificationCenter::defaultCenter().post(std::string(name), this);
}

void Application::finishLaunching() {
  state_ = State::Active;
  if (delegate_) delegate_->applicationDidFinishLaunching(*this);
  post(kDidFinishLaunchingNotification);
  if (delegate_) delegate_->applicationDidBecomeActive(*this);
  post(kDidBecomeActiveNotification);
}

void Application::resignActive() {
  if (state_ != State::Active) return;
  state_ = State::Inactive;
  if (delegate_) delegate_->applicationWillResignActive(*this);
  post(kWillResignActiveNotification);
}

void Application::becomeActive() {
  if (state_ == State::Active) return;
  state_ = State::Active;
  if (delegate_) delegate_->applicationDidBecomeActive(*this);
  post(kDidBecomeActiveNotification);
}

void Application::enterBackground() {
  if (state_ == State::Background) return;
  resignActive();
  state_ = State::Background;
  if (delegate_) delegate_->applicationDidEnterBackground(*this);
  post(kDidEnterBackgroundNotification);
}

void Application::enterForeground() {
  if (state_ != State::Background) return;
  state_ = State::Inactive;
  if (delegate_) delegate_->applicationWillEnterForeground(*this);
  post(kWillEnterForegroundNotification);
}

void Application::terminate() {
  if (delegate_) delegate_->applicationWillTerminate(*this);
  post(kWillTerminateNotification);
}

void Application::receiveMemoryWarning() {
  if (delegate_) delegate_->applicationDidReceiveMemoryWarning(*this);
  post(kDidReceiveMemoryWarningNotification);
}

void Application::sendMail(const MailMessage&,
                           std::function<void(const std::optional<base::Error>&)> done) {
  RunLoop::main().post([done = std::move(done)] {
    done(base::Error::withDescription("TADPlatformMail", 1, "There is no mail program."));
  });
}

Rect Application::statusBarFrame() const {
  constexpr double kStatusBarHeight = 20;
  return {0, 0, Screen::main().bounds().width(), kStatusBarHeight};
}

void Application::setStatusBarHidden(bool hidden, bool animated) {
  if (hidden == statusBarHidden_) return;
  statusBarHidden_ = hidden;
  statusBarHiddenChanged(hidden, animated);
}

void Application::setIdleTimerDisabled(bool disabled) {
  if (disabled == idleTimerDisabled_) return;
  idleTimerDisabled_ = disabled;
  idleTimerChanged(disabled);
}

Application::BackgroundTaskIdentifier Application::beginBackgroundTask(
    std::function<void()> expirationHandler) {
  if (!supportsBackgroundTasks()) return kInvalidBackgroundTask;
  BackgroundTaskIdentifier identifier = nextBackgroundTask_++;
  backgroundTasks_.emplace(identifier, std::move(expirationHandler));
  backgroundTaskBegan(identifier);
  return identifier;
}

void Application::endBackgroundTask(BackgroundTaskIdentifier identifier) {
  if (backgroundTasks_.erase(identifier) == 0) return;
  backgroundTaskEnded(identifier);
}

void Application::expireBackgroundTasks() {
  std::map<BackgroundTaskIdentifier, std::function<void()>> expiring = backgroundTasks_;
  for (auto& [identifier, handler] : expiring) {
    if (handler && backgroundTasks_.count(identifier)) handler();
  }
}

}  // namespace platform
