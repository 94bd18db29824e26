#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Expected.h"
#include "platform/core/RunLoop.h"
#include "platform/glibsupport/GlibPtr.h"
#include "platform/ui/Geometry.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace platform::gtk {

// The desktop window that plays the device's screen: exactly the screen's size, a status bar
// strip along its top edge, the application's window filling it (full-screen views presented in
// it follow its size). Ctrl+Left and Ctrl+Right turn the device a quarter counterclockwise and
// clockwise: the root view controller is asked, and when it agrees the screen takes the turned
// size and the views are laid out anew before the controllers hear that they turned.
//
// What happens to the desktop window — focus, minimising, closing, Ctrl+Q — is told to the
// listener, which maps it to the application's life cycle.
class DeviceScreenWindow {
 public:
  class Listener {
   public:
    virtual ~Listener() = default;
    virtual void deviceScreenActiveChanged(bool active) = 0;
    virtual void deviceScreenMinimizedChanged(bool minimized) = 0;
    // The user closed the window; it is hidden and no longer keeps the application running.
    virtual void deviceScreenClosed() = 0;
    virtual void deviceScreenQuitRequested() = 0;
  };
  enum class Turn { Counterclockwise, Clockwise };

  // title names the desktop window: the application's name.
  DeviceScreenWindow(GtkApplication* application, Size portraitSize, Listener& listener,
                     const std::string& title);
  ~DeviceScreenWindow();
  DeviceScreenWindow(const DeviceScreenWindow&) = delete;
  DeviceScreenWindow& operator=(const DeviceScreenWindow&) = delete;

  // Shows window (the application's key window) on the screen and presents the desktop window.
  void show(const std::shared_ptr<Window>& window);
  void setStatusBarHidden(bool hidden);
  bool isStatusBarVisible() const;

  // Turns the device as Ctrl+Left / Ctrl+Right do; answers whether the screen turned. A turn that
  // the application refuses leaves everything as it was and says so on the console.
  bool turn(Turn turn);
  InterfaceOrientation orientation() const { return orientation_; }

  // A short shake of the desktop window with the display's bell: what the device's vibration
  // becomes on the desktop. A shake in progress is not restarted.
  void shake();

  // Runs task once the screen has been drawn for the first time (at once if it has been).
  void whenDrawn(std::function<void()> task);
  // The device screen as it is now, web pages included, one pixel a point; nothing while the
  // screen is not shown.
  glibsupport::GObjectPtr<GdkPixbuf> snapshot() const;
  // Writes the snapshot to a PNG file.
  base::Expected<void> saveScreenshot(const std::string& path) const;
  // Whether view's place in picture, a snapshot of this screen, holds a picture of its own: more
  // than a twentieth of it differs in colour from its top left corner, as a view that paints only
  // its background does not. A web page paints a little after its load ends; this tells when.
  bool isPainted(View& view, GdkPixbuf& picture) const;

  GtkWindow* gtkWindow() const { return GTK_WINDOW(window_.get()); }
  // Where the screen's content sits: the status bar strip and the application's window.
  GtkWidget* stage() const { return stage_; }

 private:
  static gboolean keyPressed(GtkWidget*, GdkEventKey* event, gpointer self);
  static void activeChanged(GObject*, GParamSpec*, gpointer self);
  static gboolean stateChanged(GtkWidget*, GdkEventWindowState* event, gpointer self);
  static gboolean closeRequested(GtkWidget*, GdkEvent*, gpointer self);
  static gboolean drawn(GtkWidget*, cairo_t*, gpointer self);
  static gboolean drawStage(GtkWidget*, cairo_t* cr, gpointer self);
  static gboolean drawStatusBar(GtkWidget* widget, cairo_t* cr, gpointer self);
  // What the status bar says, for assistive technologies: its system name and its clock.
  void updateStatusBarText();
  void layOut(InterfaceOrientation orientation);
  void runDrawnTasks();
  void shakeStep(size_t step, int x, int y);

  Listener& listener_;
  Size portraitSize_;
  glibsupport::GObjectPtr<GtkWidget> window_;
  GtkWidget* stage_;      // held by window_
  GtkWidget* statusBar_;  // held by window_
  glibsupport::GSourcePtr clockTimer_;
  glibsupport::GSourcePtr drawnIdle_;
  RunLoop::Timer shakeTimer_;
  std::weak_ptr<Window> content_;
  InterfaceOrientation orientation_ = InterfaceOrientation::Portrait;
  bool drawnOnce_ = false;
  std::vector<std::function<void()>> drawnTasks_;
};

}  // namespace platform::gtk
