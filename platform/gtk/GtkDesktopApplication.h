#pragma once

#include <gtk/gtk.h>

#include <set>

#include "platform/Application.h"
#include "platform/core/RunLoop.h"
#include "platform/glibsupport/GlibPtr.h"
#include "platform/gtk/DeviceScreenWindow.h"

namespace platform::gtk {

// The application on a GtkApplication. The device screen's window drives the life cycle: focus
// lost and regained → will resign active / did become active; minimised and restored → did enter
// background / will enter foreground; closed → did enter background, after which the program
// ends once no background task holds it; quit (Ctrl+Q, or the program's end) → will terminate,
// once. Disabling the idle timer inhibits the desktop's idle action; the status bar is the device
// screen's strip; addresses open in the desktop's default handler for their scheme. A background
// task holds the GtkApplication until it ends or, kBackgroundAllowance seconds after the
// application went into the background, expires: its expiration handler runs, and a task still
// open afterwards is ended for it.
//
// In a host program that shows the library in windows of its own there may be no GtkApplication
// (application is nullptr): then nothing keeps the screen awake and background tasks hold
// nothing.
class GtkDesktopApplication : public Application, public DeviceScreenWindow::Listener {
 public:
  static constexpr double kBackgroundAllowance = 600;

  explicit GtkDesktopApplication(GtkApplication* application);
  ~GtkDesktopApplication() override;

  bool openURL(const base::URL& url) override;
  bool canOpenURL(const base::URL& url) const override;
  // Mail goes to the desktop's mail program (DesktopMailProgram).
  bool canSendMail() const override;
  void sendMail(const MailMessage& message,
                std::function<void(const std::optional<base::Error>&)> done) override;
  // A shake of the device screen's window with the display's bell.
  void vibrate() override;

  void setDeviceScreen(DeviceScreenWindow* screen) { screen_ = screen; }
  void setBackgroundAllowance(double seconds) { backgroundAllowance_ = seconds; }
  // Says "will terminate" the first time only.
  void terminateOnce();
  bool hasTerminated() const { return terminated_; }

  void deviceScreenActiveChanged(bool active) override;
  void deviceScreenMinimizedChanged(bool minimized) override;
  void deviceScreenClosed() override;
  void deviceScreenQuitRequested() override;

 protected:
  void statusBarHiddenChanged(bool hidden, bool animated) override;
  void idleTimerChanged(bool disabled) override;
  void backgroundTaskBegan(BackgroundTaskIdentifier identifier) override;
  void backgroundTaskEnded(BackgroundTaskIdentifier identifier) override;

 private:
  void goToBackground();
  void startBackgroundAllowance();
  void backgroundTimeRanOut();

  glibsupport::GObjectPtr<GtkApplication> application_;
  DeviceScreenWindow* screen_ = nullptr;
  guint inhibitCookie_ = 0;
  std::set<BackgroundTaskIdentifier> heldTasks_;
  double backgroundAllowance_ = kBackgroundAllowance;
  RunLoop::Timer backgroundTimer_;
  bool terminated_ = false;
};

}  // namespace platform::gtk
