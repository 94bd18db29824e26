#include "platform/gtk/GtkDesktopApplication.h"

#include <string>
#include <vector>

#include "platform/core/Console.h"
#include "platform/gtk/DesktopMailProgram.h"

namespace platform::gtk {

GtkDesktopApplication::GtkDesktopApplication(GtkApplication* application)
    : application_(glibsupport::retain(application)) {}

GtkDesktopApplication::~GtkDesktopApplication() {
  backgroundTimer_.stop();
  if (!application_) return;
  if (inhibitCookie_) gtk_application_uninhibit(application_.get(), inhibitCookie_);
  for (size_t i = 0; i < heldTasks_.size(); ++i)
    g_application_release(G_APPLICATION(application_.get()));
}

bool GtkDesktopApplication::openURL(const base::URL& url) {
  glibsupport::GErrorPtr error;
  if (g_app_info_launch_default_for_uri(url.absoluteString().c_str(), nullptr, error.out())) {
    return true;
  }
  Console::log("application: cannot open " + url.absoluteString() + ": " + error->message);
  return false;
}

bool GtkDesktopApplication::canOpenURL(const base::URL& url) const {
  if (url.scheme().empty()) return false;
  auto handler = glibsupport::adopt(g_app_info_get_default_for_uri_scheme(url.scheme().c_str()));
  return static_cast<bool>(handler);
}

bool GtkDesktopApplication::canSendMail() const {
  return DesktopMailProgram::exists();
}

void GtkDesktopApplication::sendMail(const MailMessage& message,
                                     std::function<void(const std::optional<base::Error>&)> done) {
  DesktopMailProgram::send(message, std::move(done));
}

void GtkDesktopApplication::vibrate() {
  if (screen_) {
    screen_->shake();
  } else if (GdkDisplay* display = gdk_display_get_default()) {
    gdk_display_beep(display);
  }
}

void GtkDesktopApplication::terminateOnce() {
  if (terminated_) return;
  terminated_ = true;
  terminate();
}

void GtkDesktopApplication::deviceScreenActiveChanged(bool active) {
  if (applicationState() == State::Background) return;  // restoring comes first
  if (active) {
    becomeActive();
  } else {
    resignActive();
  }
}

void GtkDesktopApplication::deviceScreenMinimizedChanged(bool minimized) {
  if (minimized) {
    goToBackground();
    return;
  }
  backgroundTimer_.stop();
  enterForeground();
  if (screen_ && gtk_window_is_active(screen_->gtkWindow())) becomeActive();
}

void GtkDesktopApplication::deviceScreenClosed() {
  goToBackground();
}

void GtkDesktopApplication::deviceScreenQuitRequested() {
  if (application_) g_application_quit(G_APPLICATION(application_.get()));
}

void GtkDesktopApplication::goToBackground() {
  enterBackground();
  if (!heldTasks_.empty()) startBackgroundAllowance();
}

void GtkDesktopApplication::startBackgroundAllowance() {
  if (backgroundTimer_.isValid()) return;
  backgroundTimer_ =
      RunLoop::main().startTimer(backgroundAllowance_, [this] { backgroundTimeRanOut(); });
}

void GtkDesktopApplication::backgroundTimeRanOut() {
  expireBackgroundTasks();
  std::vector<BackgroundTaskIdentifier> stillOpen(heldTasks_.begin(), heldTasks_.end());
  for (BackgroundTaskIdentifier identifier : stillOpen) {
    Console::log("application: background task " + std::to_string(identifier) +
                 " did not end when its time ran out; it is ended now");
    endBackgroundTask(identifier);
  }
}

void GtkDesktopApplication::statusBarHiddenChanged(bool hidden, bool) {
  if (screen_) screen_->setStatusBarHidden(hidden);
}

void GtkDesktopApplication::idleTimerChanged(bool disabled) {
  if (!application_) return;
  if (!disabled) {
    if (inhibitCookie_) gtk_application_uninhibit(application_.get(), inhibitCookie_);
    inhibitCookie_ = 0;
    return;
  }
  GtkWindow* window = screen_ ? screen_->gtkWindow() : nullptr;
  inhibitCookie_ = gtk_application_inhibit(application_.get(), window, GTK_APPLICATION_INHIBIT_IDLE,
                                           "The application keeps the screen awake");
  if (!inhibitCookie_) {
    Console::log("application: the desktop offers no way to keep the screen awake");
  }
}

void GtkDesktopApplication::backgroundTaskBegan(BackgroundTaskIdentifier identifier) {
  heldTasks_.insert(identifier);
  if (application_) g_application_hold(G_APPLICATION(application_.get()));
  if (applicationState() == State::Background) startBackgroundAllowance();
}

void GtkDesktopApplication::backgroundTaskEnded(BackgroundTaskIdentifier identifier) {
  if (heldTasks_.erase(identifier) == 0) return;
  if (heldTasks_.empty()) backgroundTimer_.stop();
  if (application_) g_application_release(G_APPLICATION(application_.get()));
}

}  // namespace platform::gtk
