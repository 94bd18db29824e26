#include "platform/gtk/HostWindowPresenter.h"

#include "platform/gtk/GtkViewPeer.h"
#include "platform/ui/Screen.h"

namespace platform::gtk {

namespace {

// The object a weak reference points at, with a reference of its own, or nothing.
template <typename T>
glibsupport::GObjectPtr<T> lock(GWeakRef& reference) {
  return glibsupport::adopt(static_cast<T*>(g_weak_ref_get(&reference)));
}

}  // namespace

HostWindowPresenter::HostWindowPresenter(GtkWidget* anchor, std::string title)
    : title_(std::move(title)), window_(std::make_shared<Window>(Screen::main().bounds())) {
  g_weak_ref_init(&anchor_, anchor);
  g_weak_ref_init(&toplevel_, nullptr);
  g_signal_connect(anchor, "hierarchy-changed", G_CALLBACK(toplevelChanged), this);
  watchToplevel();
}

HostWindowPresenter::~HostWindowPresenter() {
  if (auto anchor = lock<GtkWidget>(anchor_))
    g_signal_handlers_disconnect_by_data(anchor.get(), this);
  if (auto toplevel = lock<GtkWidget>(toplevel_))
    g_signal_handlers_disconnect_by_data(toplevel.get(), this);
  g_weak_ref_clear(&anchor_);
  g_weak_ref_clear(&toplevel_);
  if (cover_) {
    GtkViewPeer::of(*window_).removedFromSuperview();
    gtk_widget_destroy(cover_.get());
  }
}

GtkWindow* HostWindowPresenter::hostWindow() const {
  auto anchor = lock<GtkWidget>(const_cast<GWeakRef&>(anchor_));
  GtkWidget* toplevel = anchor ? gtk_widget_get_toplevel(anchor.get()) : nullptr;
  return toplevel && GTK_IS_WINDOW(toplevel) ? GTK_WINDOW(toplevel) : nullptr;
}

// The view is in the covering window's platform Window, so that what this controller presents
// takes that window's bounds and follows its size.
void HostWindowPresenter::loadView() {
  ViewController::loadView();
  followHostSize();
  view()->setFrame(window_->bounds());
  view()->setAutoresizingMask(kAutoresizingFlexibleWidth | kAutoresizingFlexibleHeight);
  window_->addSubview(view());
  makeCover();
}

void HostWindowPresenter::viewWillDisappear(bool animated) {
  ViewController::viewWillDisappear(animated);
  if (modalViewController()) cover();
}

void HostWindowPresenter::viewDidAppear(bool animated) {
  ViewController::viewDidAppear(animated);
  if (!modalViewController()) uncover();
}

void HostWindowPresenter::toplevelChanged(GtkWidget*, GtkWidget*, gpointer self) {
  static_cast<HostWindowPresenter*>(self)->watchToplevel();
}

void HostWindowPresenter::toplevelResized(GtkWidget*, GdkRectangle*, gpointer self) {
  static_cast<HostWindowPresenter*>(self)->followHostSize();
}

void HostWindowPresenter::watchToplevel() {
  GtkWindow* host = hostWindow();
  auto watched = lock<GtkWidget>(toplevel_);
  if (watched.get() == GTK_WIDGET(host)) return;
  if (watched) g_signal_handlers_disconnect_by_data(watched.get(), this);
  g_weak_ref_set(&toplevel_, host);
  if (!host) return;
  g_signal_connect(host, "size-allocate", G_CALLBACK(toplevelResized), this);
  followHostSize();
}

// The platform Window takes the size of the host window's content; the presented view follows
// it by its autoresizing.
void HostWindowPresenter::followHostSize() {
  GtkWindow* host = hostWindow();
  if (!host || !gtk_widget_get_realized(GTK_WIDGET(host))) return;
  GtkWidget* content = GTK_WIDGET(host);
  int width = gtk_widget_get_allocated_width(content);
  int height = gtk_widget_get_allocated_height(content);
  if (width <= 1 || height <= 1) return;
  window_->setFrame({0, 0, static_cast<double>(width), static_cast<double>(height)});
  if (cover_) gtk_window_resize(GTK_WINDOW(cover_.get()), width, height);
}

// Made with the view, hidden, so that a presented view is in its final window from the start:
// what watches that window's keys (Escape) is set up as the view is presented, before it shows.
void HostWindowPresenter::makeCover() {
  if (cover_) return;
  cover_ = glibsupport::adopt(GTK_WIDGET(g_object_ref_sink(gtk_window_new(GTK_WINDOW_TOPLEVEL))));
  gtk_window_set_decorated(GTK_WINDOW(cover_.get()), FALSE);
  gtk_window_set_title(GTK_WINDOW(cover_.get()), title_.c_str());
  gtk_window_set_resizable(GTK_WINDOW(cover_.get()), FALSE);
  gtk_window_set_skip_taskbar_hint(GTK_WINDOW(cover_.get()), TRUE);
  gtk_window_set_type_hint(GTK_WINDOW(cover_.get()), GDK_WINDOW_TYPE_HINT_DIALOG);
  gtk_container_add(GTK_CONTAINER(cover_.get()), GtkViewPeer::of(*window_).widget());
  // The screen closes by its own close control, which tells the banner's delegate; a desktop's
  // close request (Alt+F4) would destroy the window under it.
  g_signal_connect(cover_.get(), "delete-event", G_CALLBACK(gtk_true), nullptr);
}

void HostWindowPresenter::cover() {
  GtkWindow* host = hostWindow();
  followHostSize();
  makeCover();
  GtkWindow* covering = GTK_WINDOW(cover_.get());
  gtk_window_set_modal(covering, host != nullptr);
  gtk_window_set_transient_for(covering, host);
  if (host) {
    gtk_window_resize(covering, gtk_widget_get_allocated_width(GTK_WIDGET(host)),
                      gtk_widget_get_allocated_height(GTK_WIDGET(host)));
    // Over the host window's content, where the desktop lets a program place its windows.
    if (GdkWindow* surface = gtk_widget_get_window(GTK_WIDGET(host))) {
      int x = 0;
      int y = 0;
      gdk_window_get_origin(surface, &x, &y);
      gtk_window_move(covering, x, y);
    }
  }
  gtk_window_present(covering);
}

void HostWindowPresenter::uncover() {
  if (cover_) gtk_widget_hide(cover_.get());
}

}  // namespace platform::gtk
