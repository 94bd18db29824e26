#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <string>

#include "platform/glibsupport/GlibPtr.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

namespace platform::gtk {

// The view controller from which a view that a host program packs into a window of its own (the
// anchor) presents full-screen screens: they cover that host window, as on the device screen they
// cover the device's. While a screen is presented, a borderless window, modal and transient for the
// anchor's toplevel, lies over the toplevel's content at its size; it shows a platform Window of
// that size, in which the presented view is laid out as on the device screen. When the screen has
// gone the covering window is hidden. The controller's own view is never seen.
//
// Made with std::make_shared; the anchor is only observed and may go first.
class HostWindowPresenter : public ViewController {
 public:
  // title names the covering window: the application's name.
  HostWindowPresenter(GtkWidget* anchor, std::string title);
  ~HostWindowPresenter() override;

  void loadView() override;
  // Something is presented over this controller: the host window is covered.
  void viewWillDisappear(bool animated) override;
  // What was presented has gone: the host window is uncovered.
  void viewDidAppear(bool animated) override;

  // The covering window, hidden until a screen is presented; made with this controller's view.
  GtkWindow* coverWindow() const { return cover_ ? GTK_WINDOW(cover_.get()) : nullptr; }
  // The anchor's toplevel window, when it is in one.
  GtkWindow* hostWindow() const;

 private:
  static void toplevelChanged(GtkWidget* anchor, GtkWidget*, gpointer self);
  static void toplevelResized(GtkWidget*, GdkRectangle*, gpointer self);
  void watchToplevel();
  void followHostSize();
  void makeCover();
  void cover();
  void uncover();

  std::string title_;
  GWeakRef anchor_;
  GWeakRef toplevel_;
  std::shared_ptr<Window> window_;
  glibsupport::GObjectPtr<GtkWidget> cover_;
};

}  // namespace platform::gtk
