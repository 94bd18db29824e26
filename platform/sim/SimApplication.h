#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Application.h"

namespace platform::sim {

// An application whose outside world is scripted: which schemes other applications handle, and
// whether background tasks are offered. Every request is recorded in calls().
class SimApplication : public Application {
 public:
  bool openURL(const base::URL& url) override;
  bool canOpenURL(const base::URL& url) const override;
  void vibrate() override { calls_.push_back("vibrate"); }
  bool canSendMail() const override { return mailProgram_; }
  // Records the mail and answers with the scripted result on the next pass.
  void sendMail(const MailMessage& message,
                std::function<void(const std::optional<base::Error>&)> done) override;
  bool supportsBackgroundTasks() const override { return backgroundTasksSupported_; }
  Rect statusBarFrame() const override {
    return statusBarFrame_ ? *statusBarFrame_ : Application::statusBarFrame();
  }

  // Schemes that some installed application handles (by default http, https, mailto, tel, sms).
  void setHandledSchemes(std::set<std::string> schemes) { handledSchemes_ = std::move(schemes); }
  void setSupportsBackgroundTasks(bool supported) { backgroundTasksSupported_ = supported; }
  // Whether a mail program exists (it does by default), and how it answers the next mails
  // (nothing: it takes them).
  void setHasMailProgram(bool exists) { mailProgram_ = exists; }
  void setMailError(std::optional<base::Error> error) { mailError_ = std::move(error); }
  const std::vector<MailMessage>& sentMails() const { return sentMails_; }
  // Nothing restores the default strip along the top of the screen.
  void setStatusBarFrame(std::optional<Rect> frame) { statusBarFrame_ = frame; }

  const std::vector<std::string>& openedURLs() const { return openedURLs_; }
  const std::vector<std::string>& calls() const { return calls_; }

 protected:
  void statusBarHiddenChanged(bool hidden, bool animated) override;
  void idleTimerChanged(bool disabled) override;
  void backgroundTaskBegan(BackgroundTaskIdentifier identifier) override;
  void backgroundTaskEnded(BackgroundTaskIdentifier identifier) override;

 private:
  std::set<std::string> handledSchemes_{"http", "https", "mailto", "tel", "sms"};
  bool backgroundTasksSupported_ = true;
  std::optional<Rect> statusBarFrame_;
  bool mailProgram_ = true;
  std::optional<base::Error> mailError_;
  std::vector<MailMessage> sentMails_;
  std::vector<std::string> openedURLs_;
  mutable std::vector<std::string> calls_;
};

}  // namespace platform::sim
