#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string_view>

#include "base/Error.h"
#include "base/URL.h"
#include "platform/ui/ApplicationServices.h"
#include "platform/ui/Geometry.h"
#include "platform/ui/MailMessage.h"

namespace platform {

class Application;
class Window;

// The application's own handlers of its life-cycle events; all optional.
class ApplicationDelegate {
 public:
  virtual ~ApplicationDelegate() = default;
  virtual bool applicationDidFinishLaunching(Application&) { return true; }
  virtual void applicationWillResignActive(Application&) {}
  virtual void applicationDidEnterBackground(Application&) {}
  virtual void applicationWillEnterForeground(Application&) {}
  virtual void applicationDidBecomeActive(Application&) {}
  virtual void applicationWillTerminate(Application&) {}
  virtual void applicationDidReceiveMemoryWarning(Application&) {}
};

// The running application: its state, its life-cycle events (delivered to the delegate first and
// then posted on the default notification center under the names below), the key window, the
// status bar and idle timer, opening addresses in other applications, and background tasks.
// Backends drive the life cycle by calling the event operations and supply what only they can
// do by overriding the protected hooks.
class Application : public ApplicationServices {
 public:
  enum class State { Active, Inactive, Background };
  using BackgroundTaskIdentifier = uint64_t;
  static constexpr BackgroundTaskIdentifier kInvalidBackgroundTask = 0;

  static constexpr std::string_view kDidFinishLaunchingNotification =
      "UIApplicationDidFinishLaunchingNotification";
  static constexpr std::string_view kWillResignActiveNotification =
      "UIApplicationWillResignActiveNotification";
  static constexpr std::string_view kDidEnterBackgroundNotification =
      "UIApplicationDidEnterBackgroundNotification";
  static constexpr std::string_view kWillEnterForegroundNotification =
      "UIApplicationWillEnterForegroundNotification";
  static constexpr std::string_view kDidBecomeActiveNotification =
      "UIApplicationDidBecomeActiveNotification";
  static constexpr std::string_view kWillTerminateNotification =
      "UIApplicationWillTerminateNotification";
  static constexpr std::string_view kDidReceiveMemoryWarningNotification =
      "UIApplicationDidReceiveMemoryWarningNotification";

  virtual ~Application() = default;
  static Application& shared();

  void setDelegate(std::shared_ptr<ApplicationDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  std::shared_ptr<ApplicationDelegate> delegate() const { return delegate_; }
  State applicationState() const { return state_; }

  // Life-cycle events. finishLaunching leaves the application active.
  void finishLaunching();
  void resignActive();
  void becomeActive();
  void enterBackground();
  void enterForeground();
  void terminate();
  void receiveMemoryWarning();

  std::shared_ptr<Window> keyWindow() const override { return keyWindow_.lock(); }
  void setKeyWindow(std::weak_ptr<Window> window) override { keyWindow_ = std::move(window); }

  bool isStatusBarHidden() const { return statusBarHidden_; }
  void setStatusBarHidden(bool hidden, bool animated);
  // Where the status bar lies, in screen points; by default a 20-point strip across the top of
  // the main screen.
  virtual Rect statusBarFrame() const;
  // The interface orientation the status bar follows; portrait until the backend turns it.
  InterfaceOrientation statusBarOrientation() const { return statusBarOrientation_; }
  void setStatusBarOrientation(InterfaceOrientation orientation) {
    statusBarOrientation_ = orientation;
  }
  bool isIdleTimerDisabled() const { return idleTimerDisabled_; }
  void setIdleTimerDisabled(bool disabled);

  // Hands url to the application that handles its scheme; answers whether one took it.
  virtual bool openURL(const base::URL& url) = 0;
  virtual bool canOpenURL(const base::URL& url) const = 0;

  // Whether a mail program takes mail from this application; none by default.
  bool canSendMail() const override { return false; }
  // Hands message to the mail program. done runs on a later pass of the run loop, with the error
  // when the program did not take the mail; by default it always reports that there is none.
  void sendMail(const MailMessage& message,
                std::function<void(const std::optional<base::Error>&)> done) override;

  // Gives the user a short physical signal (on a phone, the vibration motor).
  virtual void vibrate() = 0;

  // Whether this platform offers background tasks at all.
  virtual bool supportsBackgroundTasks() const { return true; }
  // Asks for time to finish work while in the background. The expiration handler runs if the
  // time runs out before the task ends; it should end the task. Answers kInvalidBackgroundTask
  // where background tasks are not offered.
  BackgroundTaskIdentifier beginBackgroundTask(std::function<void()> expirationHandler);
  void endBackgroundTask(BackgroundTaskIdentifier identifier);
  // endBackgroundTask on the shared application, for holders of a task that go: safe with no
  // platform installed, when no application is left to keep running.
  static void endSharedBackgroundTask(BackgroundTaskIdentifier identifier);
  size_t activeBackgroundTaskCount() const { return backgroundTasks_.size(); }
  // Runs the expiration handlers of all open tasks, as when the platform's time runs out.
  void expireBackgroundTasks();

 protected:
  virtual void statusBarHiddenChanged(bool /*hidden*/, bool /*animated*/) {}
  virtual void idleTimerChanged(bool /*disabled*/) {}
  virtual void backgroundTaskBegan(BackgroundTaskIdentifier) {}
  virtual void backgroundTaskEnded(BackgroundTaskIdentifier) {}

 private:
  void post(std::string_view name);

  std::shared_ptr<ApplicationDelegate> delegate_;
  State state_ = State::Inactive;
  std::weak_ptr<Window> keyWindow_;
  bool statusBarHidden_ = false;
  InterfaceOrientation statusBarOrientation_ = InterfaceOrientation::Portrait;
  bool idleTimerDisabled_ = false;
  std::map<BackgroundTaskIdentifier, std::function<void()>> backgroundTasks_;
  BackgroundTaskIdentifier nextBackgroundTask_ = 1;
};

}  // namespace platform
