#include "tad/Banner.h"

#include <gtk/gtk.h>

#include <cstring>
#include <string>

#include "ads/Object/TADObjectPrivate.h"
#include "ads/Request/TADRequestError.h"
#include "ads/View/TADBannerView.h"
#include "ads/ViewController/TADViewController.h"
#include "base/Log.h"
#include "library/HostAccess.h"
#include "library/LogRoute.h"
#include "library/RequestAccess.h"
#include "platform/core/Clock.h"
#include "platform/core/RunLoop.h"
#include "platform/glibsupport/GlibPtr.h"
#include "platform/gtk/GtkViewPeer.h"
#include "platform/gtk/HostWindowPresenter.h"
#include "tad/BannerDelegate.h"
#include "tad/BannerTrackingDelegate.h"

namespace tad {

namespace {

// Hands what the library's banner view tells on to the program's delegate, with the public
// banner as the sender.
class DelegateBridge : public TADBannerViewDelegate {
 public:
  explicit DelegateBridge(Banner& banner) : banner_(banner) {}
  void setDelegate(std::weak_ptr<BannerDelegate> delegate) { delegate_ = std::move(delegate); }

  void adViewDidReceiveAd(const std::shared_ptr<TADBannerView>&) override {
    if (auto delegate = delegate_.lock()) delegate->bannerDidReceiveAd(banner_);
  }
  void adViewDidFailToReceiveAdWithError(const std::shared_ptr<TADBannerView>&,
                                         const TADRequestError& error) override {
    failed(publicError(error));
  }
  void failed(const RequestError& failure) {
    if (auto delegate = delegate_.lock()) delegate->bannerDidFailToReceiveAd(banner_, failure);
  }
  void adViewWillPresentScreen(const std::shared_ptr<TADBannerView>&) override {
    if (auto delegate = delegate_.lock()) delegate->bannerWillPresentScreen(banner_);
  }
  void adViewWillDismissScreen(const std::shared_ptr<TADBannerView>&) override {
    if (auto delegate = delegate_.lock()) delegate->bannerWillDismissScreen(banner_);
  }
  void adViewDidDismissScreen(const std::shared_ptr<TADBannerView>&) override {
    if (auto delegate = delegate_.lock()) delegate->bannerDidDismissScreen(banner_);
  }
  void adViewWillLeaveApplication(const std::shared_ptr<TADBannerView>&) override {
    if (auto delegate = delegate_.lock()) delegate->bannerWillLeaveApplication(banner_);
  }
  void adViewDidRecordImpression(const std::shared_ptr<TADBannerView>&) override {
    if (auto tracking = trackingDelegate()) tracking->bannerDidRecordImpression(banner_);
  }
  void adViewDidRecordClick(const std::shared_ptr<TADBannerView>&) override {
    if (auto tracking = trackingDelegate()) tracking->bannerDidRecordClick(banner_);
  }

 private:
  static RequestError publicError(const TADRequestError& error) {
    RequestError failure{static_cast<RequestError::Code>(error.code()),
                         error.localizedDescription()};
    failure.httpStatus = error.httpStatus();
    if (const std::shared_ptr<const base::Error>& cause = error.underlyingError()) {
      failure.underlyingError =
          RequestError::Underlying{cause->domain(), cause->code(), cause->localizedDescription()};
    }
    return failure;
  }
  // The delegate, when it also hears what the banner counts; it stays alive while it is told.
  std::shared_ptr<BannerTrackingDelegate> trackingDelegate() const {
    std::shared_ptr<BannerDelegate> delegate = delegate_.lock();
    auto* tracking = dynamic_cast<BannerTrackingDelegate*>(delegate.get());
    return tracking ? std::shared_ptr<BannerTrackingDelegate>(delegate, tracking) : nullptr;
  }

  Banner& banner_;
  std::weak_ptr<BannerDelegate> delegate_;
};

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

// widget as it is drawn now, children (web pages among them) included; nothing while it is not
// on screen.
Surface drawing(GtkWidget* widget) {
  Surface none(nullptr, cairo_surface_destroy);
  if (!gtk_widget_get_realized(widget) || !gtk_widget_get_mapped(widget)) return none;
  int width = gtk_widget_get_allocated_width(widget);
  int height = gtk_widget_get_allocated_height(widget);
  if (width <= 0 || height <= 0) return none;
  Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height),
                  cairo_surface_destroy);
  cairo_t* cr = cairo_create(surface.get());
  gtk_widget_draw(widget, cr);
  cairo_destroy(cr);
  cairo_surface_flush(surface.get());
  return surface;
}

// An empty banner is one colour; an ad's page has more than one over a twentieth of it at least.
bool holdsAPicture(cairo_surface_t* surface) {
  const unsigned char* pixels = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const int width = cairo_image_surface_get_width(surface);
  const int height = cairo_image_surface_get_height(surface);
  auto at = [&](int x, int y) { return pixels + static_cast<ptrdiff_t>(y) * stride + x * 4; };
  long differing = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      differing += std::memcmp(at(x, y), at(0, 0), 3) != 0;
  }
  return differing * 20 > static_cast<long>(width) * height;
}

constexpr double kPaintPollSeconds = 0.05;

constexpr const char* kNoHostDescription =
    "Request Error: No tad::Host is alive: tad::Host::create must come before the banner.";

}  // namespace

// The library's banner view lies in a widget of the banner's own, which the program packs: so the
// program's widget stays the same, and where the program put it, whether the view is there (a
// host made it) or not (there was no host, or the host went first).
// Hidden: as a member of an exported class it would otherwise be exported with it.
struct __attribute__((visibility("hidden"))) Banner::Impl final : HostedBanner {
  explicit Impl(Banner& banner) : bridge(std::make_shared<DelegateBridge>(banner)) {}

  glibsupport::GObjectPtr<GtkWidget> frame =
      glibsupport::adopt(GTK_WIDGET(g_object_ref_sink(gtk_event_box_new())));
  std::shared_ptr<TADBannerView> view;  // none without a host
  std::shared_ptr<platform::gtk::HostWindowPresenter> presenter;
  std::shared_ptr<DelegateBridge> bridge;
  std::function<void(bool)> paintedDone;
  double paintDeadline = 0;
  // The failure a banner without a host reports for a request, on the next pass of the loop.
  glibsupport::GSourcePtr noHostFailure;
  // Refresh waits while the program pauses it or the banner cannot be seen: its frame unmapped
  // (hidden, on a page not shown, in a hidden window) or its window minimised or withdrawn, which
  // leaves the frame mapped. The window is watched while the frame is in it.
  bool pausedByProgram = false;
  GtkWidget* window = nullptr;
  bool windowHidden = false;

  void pollPainted(const Banner& banner);
  void closeScreen();
  void letGoOfView();
  void reportNoHost();
  void hostWillGo() override;
  static void frameDestroyed(GtkWidget*, gpointer self);

  bool canBeSeen() const { return gtk_widget_get_mapped(frame.get()) && !windowHidden; }
  void updateRefreshPause();
  void watchWindow();
  void unwatchWindow();
  static void mappingChanged(GtkWidget*, gpointer self);
  static void hierarchyChanged(GtkWidget*, GtkWidget*, gpointer self);
  static gboolean windowStateChanged(GtkWidget*, GdkEventWindowState* event, gpointer self);
};

constexpr int kWindowHiddenStates = GDK_WINDOW_STATE_ICONIFIED | GDK_WINDOW_STATE_WITHDRAWN;

void Banner::Impl::updateRefreshPause() {
  auto object = view ? TADObjectPrivate::ofView(*view) : nullptr;
  if (object) object->setRefreshPaused(pausedByProgram || !canBeSeen());
}

void Banner::Impl::watchWindow() {
  unwatchWindow();
  GtkWidget* toplevel = gtk_widget_get_toplevel(frame.get());
  if (!GTK_IS_WINDOW(toplevel)) return;
  window = toplevel;
  g_object_add_weak_pointer(G_OBJECT(window), reinterpret_cast<gpointer*>(&window));
  g_signal_connect(window, "window-state-event", G_CALLBACK(windowStateChanged), this);
  GdkWindow* surface = gtk_widget_get_window(window);
  windowHidden = surface && (gdk_window_get_state(surface) & kWindowHiddenStates);
}

void Banner::Impl::unwatchWindow() {
  windowHidden = false;
  if (!window) return;
  g_signal_handlers_disconnect_by_data(window, this);
  g_object_remove_weak_pointer(G_OBJECT(window), reinterpret_cast<gpointer*>(&window));
  window = nullptr;
}

// "map" and "unmap" run after the frame's state has changed.
void Banner::Impl::mappingChanged(GtkWidget*, gpointer self) {
  static_cast<Impl*>(self)->updateRefreshPause();
}

void Banner::Impl::hierarchyChanged(GtkWidget*, GtkWidget*, gpointer self) {
  auto* impl = static_cast<Impl*>(self);
  impl->watchWindow();
  impl->updateRefreshPause();
}

gboolean Banner::Impl::windowStateChanged(GtkWidget*, GdkEventWindowState* event, gpointer self) {
  auto* impl = static_cast<Impl*>(self);
  impl->windowHidden = event->new_window_state & kWindowHiddenStates;
  impl->updateRefreshPause();
  return FALSE;
}

// As its close control would: the delegate hears that the screen goes, and has heard all of it
// once this returns.
void Banner::Impl::closeScreen() {
  std::shared_ptr<platform::ViewController> screen =
      presenter ? presenter->modalViewController() : nullptr;
  if (auto* adScreen = dynamic_cast<TADViewController*>(screen.get())) {
    adScreen->relinquishScreenAtOnce();
  } else if (screen) {
    presenter->dismissModalViewControllerAnimated(false);
  }
}

void Banner::Impl::letGoOfView() {
  if (!view) return;
  platform::RunLoop::cancelOnMain(this);
  view->setDelegate({});
  view->removeFromSuperview();
  GtkWidget* viewWidget = platform::gtk::GtkViewPeer::of(*view).widget();
  if (gtk_widget_get_parent(viewWidget) == frame.get())
    gtk_container_remove(GTK_CONTAINER(frame.get()), viewWidget);
  presenter.reset();
  view.reset();
}

void Banner::Impl::hostWillGo() {
  closeScreen();
  letGoOfView();
  if (std::function<void(bool)> done = std::exchange(paintedDone, nullptr)) done(false);
}

// The window the banner is in goes: a screen over that window goes with it.
void Banner::Impl::frameDestroyed(GtkWidget*, gpointer self) {
  static_cast<Impl*>(self)->closeScreen();
}

void Banner::Impl::reportNoHost() {
  GSource* source = g_idle_source_new();
  g_source_set_callback(
      source,
      [](gpointer self) -> gboolean {
        auto* impl = static_cast<Impl*>(self);
        impl->noHostFailure.reset();  // the delegate may let go of the banner
        impl->bridge->failed({RequestError::Code::InvalidRequest, kNoHostDescription});
        return G_SOURCE_REMOVE;
      },
      this, nullptr);
  g_source_attach(source, nullptr);
  noHostFailure.reset(source);
}

// Assistive technologies find the program's widget as the advertisement, and the ad's page inside
// it: the banner view within, which would be a landmark of its own, is a plain part of it.
Banner::Banner(const std::string& adUnitId) : impl_(std::make_unique<Impl>(*this)) {
  GtkWidget* frame = impl_->frame.get();
  gtk_event_box_set_visible_window(GTK_EVENT_BOX(frame), FALSE);
  gtk_widget_set_size_request(frame, kWidth, kHeight);
  AtkObject* accessible = gtk_widget_get_accessible(frame);
  atk_object_set_name(accessible, std::string(TADBannerView::kAccessibilityLabel).c_str());
  atk_object_set_role(accessible, ATK_ROLE_LANDMARK);
  gtk_widget_show(frame);
  routeLibraryLog();
  if (!joinHost(*impl_)) {
    base::Log::write(base::Log::Level::Critical, base::Log::Source::Library,
                     "tad::Banner made with no tad::Host alive: tad::Host::create must come first; "
                     "this banner shows no ads");
    return;
  }
  impl_->view = TADBannerView::initWithFrame({0, 0, kWidth, kHeight});
  impl_->view->setAdUnitID(adUnitId);
  impl_->view->setAccessibilityLabel({});
  impl_->view->setAccessibilityRole(platform::AccessibilityRole::Plain);
  gtk_container_add(GTK_CONTAINER(frame), platform::gtk::GtkViewPeer::of(*impl_->view).widget());
  impl_->presenter =
      std::make_shared<platform::gtk::HostWindowPresenter>(frame, currentHostIdentity().name);
  impl_->view->setRootViewController(impl_->presenter);
  impl_->view->setDelegate(impl_->bridge);
  g_signal_connect(frame, "destroy", G_CALLBACK(Impl::frameDestroyed), impl_.get());
  g_signal_connect(frame, "map", G_CALLBACK(Impl::mappingChanged), impl_.get());
  g_signal_connect(frame, "unmap", G_CALLBACK(Impl::mappingChanged), impl_.get());
  g_signal_connect(frame, "hierarchy-changed", G_CALLBACK(Impl::hierarchyChanged), impl_.get());
  impl_->updateRefreshPause();
}

// A screen still presented closes with the banner, and the delegate hears so.
Banner::~Banner() {
  g_signal_handlers_disconnect_by_data(impl_->frame.get(), impl_.get());
  impl_->unwatchWindow();
  leaveHost(*impl_);
  impl_->closeScreen();
  impl_->letGoOfView();
  if (GtkWidget* parent = gtk_widget_get_parent(impl_->frame.get()))
    gtk_container_remove(GTK_CONTAINER(parent), impl_->frame.get());
}

GtkWidget* Banner::widget() const {
  return impl_->frame.get();
}

void Banner::setDelegate(std::weak_ptr<BannerDelegate> delegate) {
  impl_->bridge->setDelegate(std::move(delegate));
}

void Banner::loadRequest(const Request& request) {
  if (!impl_->view) {
    impl_->reportNoHost();
    return;
  }
  impl_->view->loadRequest(request.impl_->request);
}

bool Banner::showsAd() const {
  auto object = impl_->view ? TADObjectPrivate::ofView(*impl_->view) : nullptr;
  return object && object->state() == TADObjectPrivate::State::Shown;
}

void Banner::pauseRefresh() {
  impl_->pausedByProgram = true;
  impl_->updateRefreshPause();
}

void Banner::resumeRefresh() {
  impl_->pausedByProgram = false;
  impl_->updateRefreshPause();
}

// The ad object's own state where there is one: what its next ads wait on, not what should be.
bool Banner::isRefreshPaused() const {
  auto object = impl_->view ? TADObjectPrivate::ofView(*impl_->view) : nullptr;
  return object ? object->isRefreshPaused() : impl_->pausedByProgram || !impl_->canBeSeen();
}

void Banner::whenAdPainted(double timeoutSeconds, std::function<void(bool)> done) {
  if (!impl_->view) {
    done(false);
    return;
  }
  platform::RunLoop::cancelOnMain(impl_.get());
  impl_->paintedDone = std::move(done);
  impl_->paintDeadline = platform::Clock::shared().monotonicSeconds() + timeoutSeconds;
  impl_->pollPainted(*this);
}

void Banner::Impl::pollPainted(const Banner& banner) {
  bool painted = false;
  if (banner.showsAd()) {
    Surface picture = drawing(frame.get());
    painted = picture && holdsAPicture(picture.get());
  }
  if (painted || platform::Clock::shared().monotonicSeconds() >= paintDeadline) {
    std::function<void(bool)> done = std::move(paintedDone);
    paintedDone = nullptr;
    if (done) done(painted);
    return;
  }
  platform::RunLoop::main().post(kPaintPollSeconds, this, [this, &banner] { pollPainted(banner); });
}

bool Banner::saveWindowScreenshot(const std::string& path, std::string* error) const {
  GtkWidget* toplevel = gtk_widget_get_toplevel(impl_->frame.get());
  if (!GTK_IS_WINDOW(toplevel)) {
    if (error) *error = "the banner is in no window";
    return false;
  }
  // Widgets laid out since the last frame take their places first, as the next frame would
  // place them.
  gtk_container_check_resize(GTK_CONTAINER(toplevel));
  Surface picture = drawing(toplevel);
  if (!picture) {
    if (error) *error = "the banner's window is not on screen";
    return false;
  }
  cairo_status_t status = cairo_surface_write_to_png(picture.get(), path.c_str());
  if (status != CAIRO_STATUS_SUCCESS) {
    if (error) *error = "cannot save " + path + ": " + cairo_status_to_string(status);
    return false;
  }
  return true;
}

}  // namespace tad
