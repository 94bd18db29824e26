#include "platform/gtk/DeviceScreenWindow.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>
#include <iterator>
#include <string>

#include "platform/Platform.h"
#include "platform/core/Console.h"
#include "platform/gtk/DeviceScreen.h"
#include "platform/gtk/GtkViewPeer.h"

namespace platform::gtk {

namespace {

// Interface orientations in the order the screen's content passes through them when the device
// turns counterclockwise.
constexpr InterfaceOrientation kCounterclockwise[] = {
    InterfaceOrientation::Portrait, InterfaceOrientation::LandscapeRight,
    InterfaceOrientation::PortraitUpsideDown, InterfaceOrientation::LandscapeLeft};

InterfaceOrientation turned(InterfaceOrientation from, DeviceScreenWindow::Turn turn) {
  int index = 0;
  while (kCounterclockwise[index] != from)
    ++index;
  int step = turn == DeviceScreenWindow::Turn::Counterclockwise ? 1 : 3;
  return kCounterclockwise[(index + step) % 4];
}

const char* nameOf(InterfaceOrientation orientation) {
  switch (orientation) {
    case InterfaceOrientation::Portrait:
      return "portrait";
    case InterfaceOrientation::PortraitUpsideDown:
      return "portrait upside down";
    case InterfaceOrientation::LandscapeLeft:
      return "landscape left";
    case InterfaceOrientation::LandscapeRight:
      return "landscape right";
  }
  return "an unknown orientation";
}

int pixels(double points) {
  return static_cast<int>(std::lround(points));
}

// A source on the default context that calls function(data) and is owned by the returned handle.
glibsupport::GSourcePtr attach(GSource* source, GSourceFunc function, gpointer data) {
  g_source_set_callback(source, function, data, nullptr);
  g_source_attach(source, nullptr);
  return glibsupport::GSourcePtr(source);
}

// The status bar's words: the system's name on the left, the time in the middle.
constexpr const char kSystemName[] = "Linux";

std::string clockText() {
  std::time_t now = std::time(nullptr);
  char clock[16] = "";
  std::strftime(clock, sizeof clock, "%H:%M", std::localtime(&now));
  return clock;
}

// How far the desktop window stands from its place at each step of a shake, in pixels.
constexpr int kShakeOffsets[] = {8, -8, 6, -6, 3, -3, 0};
constexpr double kShakeStepSeconds = 0.03;

}  // namespace

DeviceScreenWindow::DeviceScreenWindow(GtkApplication* application, Size portraitSize,
                                       Listener& listener, const std::string& title)
    : listener_(listener),
      portraitSize_(portraitSize),
      window_(glibsupport::adopt(
          GTK_WIDGET(g_object_ref_sink(gtk_application_window_new(application))))),
      stage_(gtk_fixed_new()),
      statusBar_(gtk_drawing_area_new()) {
  gtk_window_set_title(gtkWindow(), title.c_str());
  gtk_window_set_resizable(gtkWindow(), FALSE);
  gtk_container_add(GTK_CONTAINER(window_.get()), stage_);
  gtk_fixed_put(GTK_FIXED(stage_), statusBar_, 0, 0);
  atk_object_set_role(gtk_widget_get_accessible(statusBar_), ATK_ROLE_STATUSBAR);
  updateStatusBarText();
  gtk_widget_show(statusBar_);
  gtk_widget_show(stage_);
  layOut(InterfaceOrientation::Portrait);

  g_signal_connect(stage_, "draw", G_CALLBACK(drawStage), this);
  g_signal_connect(statusBar_, "draw", G_CALLBACK(drawStatusBar), this);
  g_signal_connect(window_.get(), "key-press-event", G_CALLBACK(keyPressed), this);
  g_signal_connect(window_.get(), "notify::is-active", G_CALLBACK(activeChanged), this);
  g_signal_connect(window_.get(), "window-state-event", G_CALLBACK(stateChanged), this);
  g_signal_connect(window_.get(), "delete-event", G_CALLBACK(closeRequested), this);
  g_signal_connect_after(window_.get(), "draw", G_CALLBACK(drawn), this);
  // The status bar's clock.
  clockTimer_ = attach(
      g_timeout_source_new_seconds(15),
      [](gpointer self) -> gboolean {
        auto* screen = static_cast<DeviceScreenWindow*>(self);
        screen->updateStatusBarText();
        gtk_widget_queue_draw(screen->statusBar_);
        return G_SOURCE_CONTINUE;
      },
      this);
}

DeviceScreenWindow::~DeviceScreenWindow() {
  g_signal_handlers_disconnect_by_data(window_.get(), this);
  g_signal_handlers_disconnect_by_data(stage_, this);
  g_signal_handlers_disconnect_by_data(statusBar_, this);
  // The application's window keeps its widget; only the desktop window goes.
  if (auto content = content_.lock()) GtkViewPeer::of(*content).removedFromSuperview();
  gtk_widget_destroy(window_.get());
}

void DeviceScreenWindow::show(const std::shared_ptr<Window>& window) {
  if (auto previous = content_.lock()) GtkViewPeer::of(*previous).removedFromSuperview();
  content_ = window;
  if (window) {
    GtkWidget* widget = GtkViewPeer::of(*window).widget();
    gtk_fixed_put(GTK_FIXED(stage_), widget, pixels(window->frame().minX()),
                  pixels(window->frame().minY()));
  }
  gtk_window_present(gtkWindow());
}

void DeviceScreenWindow::setStatusBarHidden(bool hidden) {
  gtk_widget_set_visible(statusBar_, !hidden);
}

bool DeviceScreenWindow::isStatusBarVisible() const {
  return gtk_widget_get_visible(statusBar_);
}

bool DeviceScreenWindow::turn(Turn turn) {
  std::shared_ptr<Window> window = content_.lock();
  std::shared_ptr<ViewController> root = window ? window->rootViewController() : nullptr;
  if (!root) {
    Console::log("device screen: nothing on the screen to turn");
    return false;
  }
  InterfaceOrientation target = turned(orientation_, turn);
  if (!root->rotateTo(target, [&] { layOut(target); })) {
    Console::log(std::string("device screen: the application does not turn to ") + nameOf(target) +
                 "; the screen stays in " + nameOf(orientation_));
    return false;
  }
  return true;
}

// Gives the stage, the status bar and the application's window the size of the screen turned to
// orientation; the root view fills the application frame, and presented views follow the window.
void DeviceScreenWindow::layOut(InterfaceOrientation orientation) {
  orientation_ = orientation;
  if (Platform::isInstalled()) Application::shared().setStatusBarOrientation(orientation);
  Size size =
      isLandscape(orientation) ? Size{portraitSize_.height, portraitSize_.width} : portraitSize_;
  gtk_widget_set_size_request(stage_, pixels(size.width), pixels(size.height));
  gtk_widget_set_size_request(statusBar_, pixels(size.width),
                              pixels(DeviceScreen::kStatusBarHeight));
  std::shared_ptr<Window> window = content_.lock();
  if (!window) return;
  window->setFrame({0, 0, size.width, size.height});
  std::shared_ptr<ViewController> root = window->rootViewController();
  if (!root) return;
  double top = isStatusBarVisible() ? DeviceScreen::kStatusBarHeight : 0;
  if (root->isViewLoaded()) root->view()->setFrame({0, top, size.width, size.height - top});
}

void DeviceScreenWindow::shake() {
  gdk_display_beep(gtk_widget_get_display(window_.get()));
  if (shakeTimer_.isValid()) return;
  int x = 0;
  int y = 0;
  gtk_window_get_position(gtkWindow(), &x, &y);
  shakeStep(0, x, y);
}

void DeviceScreenWindow::shakeStep(size_t step, int x, int y) {
  gtk_window_move(gtkWindow(), x + kShakeOffsets[step], y);
  if (step + 1 == std::size(kShakeOffsets)) return;
  shakeTimer_ = RunLoop::main().startTimer(kShakeStepSeconds,
                                           [this, step, x, y] { shakeStep(step + 1, x, y); });
}

void DeviceScreenWindow::whenDrawn(std::function<void()> task) {
  drawnTasks_.push_back(std::move(task));
  if (drawnOnce_) runDrawnTasks();
}

void DeviceScreenWindow::runDrawnTasks() {
  std::vector<std::function<void()>> tasks;
  tasks.swap(drawnTasks_);
  for (auto& task : tasks)
    task();
}

namespace {

base::Error screenError(std::string description) {
  return base::Error::withDescription("platform.screen", 1, std::move(description));
}

}  // namespace

glibsupport::GObjectPtr<GdkPixbuf> DeviceScreenWindow::snapshot() const {
  if (!gtk_widget_get_realized(stage_)) return {};
  // Views laid out since the last frame take their places first, as the next frame would place
  // them: drawing asks for a settled layout.
  gtk_container_check_resize(GTK_CONTAINER(window_.get()));
  int width = gtk_widget_get_allocated_width(stage_);
  int height = gtk_widget_get_allocated_height(stage_);
  std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height), cairo_surface_destroy);
  std::unique_ptr<cairo_t, decltype(&cairo_destroy)> cr(cairo_create(surface.get()), cairo_destroy);
  gtk_widget_draw(stage_, cr.get());
  cairo_surface_flush(surface.get());
  return glibsupport::GObjectPtr<GdkPixbuf>::adopt(
      gdk_pixbuf_get_from_surface(surface.get(), 0, 0, width, height));
}

base::Expected<void> DeviceScreenWindow::saveScreenshot(const std::string& path) const {
  glibsupport::GObjectPtr<GdkPixbuf> picture = snapshot();
  if (!picture) return screenError("The screen is not shown");
  glibsupport::GErrorPtr problem;
  if (!gdk_pixbuf_save(picture.get(), path.c_str(), "png", problem.out(), nullptr)) {
    return screenError("Cannot save a screenshot to " + path + ": " + problem->message);
  }
  return {};
}

bool DeviceScreenWindow::isPainted(View& view, GdkPixbuf& picture) const {
  GtkWidget* widget = GtkViewPeer::of(view).widget();
  int left = 0;
  int top = 0;
  gtk_widget_translate_coordinates(widget, stage_, 0, 0, &left, &top);
  int right =
      std::min(left + gtk_widget_get_allocated_width(widget), gdk_pixbuf_get_width(&picture));
  int bottom =
      std::min(top + gtk_widget_get_allocated_height(widget), gdk_pixbuf_get_height(&picture));
  if (left < 0 || top < 0 || right <= left || bottom <= top) return false;
  const guchar* pixels = gdk_pixbuf_read_pixels(&picture);
  const int stride = gdk_pixbuf_get_rowstride(&picture);
  const int channels = gdk_pixbuf_get_n_channels(&picture);
  auto at = [&](int x, int y) {
    return pixels + static_cast<ptrdiff_t>(y) * stride + static_cast<ptrdiff_t>(x) * channels;
  };
  const guchar* corner = at(left, top);
  long differing = 0;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x)
      differing += std::memcmp(at(x, y), corner, 3) != 0;
  }
  return differing * 20 > static_cast<long>(right - left) * (bottom - top);
}

gboolean DeviceScreenWindow::keyPressed(GtkWidget*, GdkEventKey* event, gpointer self) {
  auto* screen = static_cast<DeviceScreenWindow*>(self);
  if (!(event->state & GDK_CONTROL_MASK)) return FALSE;
  switch (event->keyval) {
    case GDK_KEY_Left:
      screen->turn(Turn::Counterclockwise);
      return TRUE;
    case GDK_KEY_Right:
      screen->turn(Turn::Clockwise);
      return TRUE;
    case GDK_KEY_q:
    case GDK_KEY_Q:
      screen->listener_.deviceScreenQuitRequested();
      return TRUE;
    default:
      return FALSE;
  }
}

void DeviceScreenWindow::activeChanged(GObject* window, GParamSpec*, gpointer self) {
  static_cast<DeviceScreenWindow*>(self)->listener_.deviceScreenActiveChanged(
      gtk_window_is_active(GTK_WINDOW(window)));
}

gboolean DeviceScreenWindow::stateChanged(GtkWidget*, GdkEventWindowState* event, gpointer self) {
  if (event->changed_mask & GDK_WINDOW_STATE_ICONIFIED) {
    static_cast<DeviceScreenWindow*>(self)->listener_.deviceScreenMinimizedChanged(
        event->new_window_state & GDK_WINDOW_STATE_ICONIFIED);
  }
  return FALSE;
}

// Closing hides the window and lets go of the application, which then ends unless background
// tasks hold it; the widgets stay until the screen goes.
gboolean DeviceScreenWindow::closeRequested(GtkWidget* window, GdkEvent*, gpointer self) {
  gtk_widget_hide(window);
  static_cast<DeviceScreenWindow*>(self)->listener_.deviceScreenClosed();
  gtk_window_set_application(GTK_WINDOW(window), nullptr);
  return TRUE;
}

gboolean DeviceScreenWindow::drawn(GtkWidget*, cairo_t*, gpointer self) {
  auto* screen = static_cast<DeviceScreenWindow*>(self);
  if (screen->drawnOnce_) return FALSE;
  screen->drawnOnce_ = true;
  // Not inside the draw: the tasks may draw themselves (a screenshot) or quit.
  screen->drawnIdle_ = attach(
      g_idle_source_new(),
      [](gpointer data) -> gboolean {
        static_cast<DeviceScreenWindow*>(data)->runDrawnTasks();
        return G_SOURCE_REMOVE;
      },
      screen);
  return FALSE;
}

// The glass beyond the application's views is black, as on the device.
gboolean DeviceScreenWindow::drawStage(GtkWidget* widget, cairo_t* cr, gpointer) {
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_rectangle(cr, 0, 0, gtk_widget_get_allocated_width(widget),
                  gtk_widget_get_allocated_height(widget));
  cairo_fill(cr);
  return FALSE;
}

void DeviceScreenWindow::updateStatusBarText() {
  AtkObject* accessible = gtk_widget_get_accessible(statusBar_);
  const std::string text = std::string(kSystemName) + " " + clockText();
  const char* said = atk_object_get_name(accessible);
  if (!said || text != said) atk_object_set_name(accessible, text.c_str());
}

gboolean DeviceScreenWindow::drawStatusBar(GtkWidget* widget, cairo_t* cr, gpointer) {
  double width = gtk_widget_get_allocated_width(widget);
  double height = gtk_widget_get_allocated_height(widget);
  cairo_set_source_rgb(cr, 0.11, 0.11, 0.12);
  cairo_rectangle(cr, 0, 0, width, height);
  cairo_fill(cr);

  const std::string clock = clockText();
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_select_font_face(cr, "Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(cr, 12);
  cairo_text_extents_t extents;
  cairo_text_extents(cr, clock.c_str(), &extents);
  double baseline = (height + extents.height) / 2;
  cairo_move_to(cr, (width - extents.width) / 2 - extents.x_bearing, baseline);
  cairo_show_text(cr, clock.c_str());
  cairo_set_font_size(cr, 11);
  cairo_move_to(cr, 6, baseline);
  cairo_show_text(cr, kSystemName);
  return FALSE;
}

}  // namespace platform::gtk
