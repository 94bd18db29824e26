#include "platform/gtk/GtkViewBackend.h"

#include "platform/core/RunLoop.h"
#include "platform/gtk/GtkActivityIndicatorPeer.h"
#include "platform/gtk/GtkButtonPeer.h"
#include "platform/gtk/GtkImageViewPeer.h"
#include "platform/gtk/GtkLocalNetworkFilter.h"
#include "platform/gtk/GtkMailComposerPeer.h"
#include "platform/gtk/GtkToolbarPeer.h"
#include "platform/gtk/GtkViewPeer.h"
#include "platform/gtk/GtkWebViewPeer.h"
#include "platform/ui/View.h"

namespace platform::gtk {

GtkViewBackend::~GtkViewBackend() {
  for (auto& [view, watch] : escapeWatches_)
    g_signal_handler_disconnect(watch.window.get(), watch.handler);
}

std::unique_ptr<ViewPeer> GtkViewBackend::makeViewPeer(ViewPeerClient& client, const Rect& frame) {
  return std::make_unique<GtkViewPeer>(client, frame);
}

std::unique_ptr<ButtonPeer> GtkViewBackend::makeButtonPeer(ViewPeer& base,
                                                           ButtonPeerClient& client) {
  return std::make_unique<GtkButtonPeer>(static_cast<GtkViewPeer&>(base), client);
}

void GtkViewBackend::expectWebPagesFrom(const base::URL& pageURL) {
  webContext_->localNetworkFilter().expect(pageURL);
}

std::unique_ptr<WebViewPeer> GtkViewBackend::makeWebViewPeer(ViewPeer& base,
                                                             WebViewPeerClient& client,
                                                             WebViewRole role) {
  return std::make_unique<GtkWebViewPeer>(static_cast<GtkViewPeer&>(base), client, webContext_,
                                          role);
}

std::unique_ptr<MailComposerPeer> GtkViewBackend::makeMailComposerPeer(
    ViewPeer& base, MailComposerPeerClient& client) {
  return std::make_unique<GtkMailComposerPeer>(static_cast<GtkViewPeer&>(base), client);
}

void GtkViewBackend::slideModalView(const std::shared_ptr<View>& presented, bool in,
                                    std::function<void()> done) {
  constexpr int kSteps = 18;
  const Rect target = presented->frame();
  const double travel = target.height();
  auto place = [target, travel, in](View& view, double progress) {
    double eased = 1 - (1 - progress) * (1 - progress) * (1 - progress);
    double offset = in ? travel * (1 - eased) : travel * eased;
    view.setFrame({target.minX(), target.minY() + offset, target.width(), target.height()});
  };
  if (in) place(*presented, 0);
  std::weak_ptr<View> weakView = presented;
  for (int step = 1; step <= kSteps; ++step) {
    const double progress = static_cast<double>(step) / kSteps;
    const bool last = step == kSteps;
    RunLoop::main().post(kSlideSeconds * progress, nullptr,
                         [weakView, place, progress, last, target, done] {
                           auto view = weakView.lock();
                           if (view) place(*view, progress);
                           if (!last) return;
                           // The view ends where it was laid out; a view that leaves is taken
                           // away at its own frame.
                           if (view) view->setFrame(target);
                           done();
                         });
  }
}

// A web view beneath a screen that slides away (it draws into a window of its own, several levels
// down) is not drawn again in the last strip the screen uncovers: that strip would show what lies
// under the web view until something else redraws it. So once the screen has gone, everything it
// covered is drawn again.
void GtkViewBackend::dismissModalView(View& presented) {
  stopWatchingEscape(presented);
  glibsupport::GObjectPtr<GtkWidget> host =
      glibsupport::retain(gtk_widget_get_parent(GtkViewPeer::of(presented).widget()));
  ViewBackend::dismissModalView(presented);
  if (host) gtk_widget_queue_draw(host.get());
}

void GtkViewBackend::stopWatchingEscape(const View& presented) {
  auto watch = escapeWatches_.find(&presented);
  if (watch == escapeWatches_.end()) return;
  g_signal_handler_disconnect(watch->second.window.get(), watch->second.handler);
  escapeWatches_.erase(watch);
}

void GtkViewBackend::closeModalViewOnEscape(View& presented, std::function<bool()> escape) {
  stopWatchingEscape(presented);
  GtkWidget* window = gtk_widget_get_toplevel(GtkViewPeer::of(presented).widget());
  if (!GTK_IS_WINDOW(window)) return;
  using Escape = std::function<bool()>;
  auto pressed = +[](GtkWidget*, GdkEventKey* event, gpointer data) -> gboolean {
    const GdkModifierType modifiers = gtk_accelerator_get_default_mod_mask();
    if (event->keyval != GDK_KEY_Escape || (event->state & modifiers)) return FALSE;
    return (*static_cast<Escape*>(data))();
  };
  gulong handler = g_signal_connect_data(
      window, "key-press-event", G_CALLBACK(pressed), new Escape(std::move(escape)),
      [](gpointer data, GClosure*) { delete static_cast<Escape*>(data); }, GConnectFlags(0));
  escapeWatches_[&presented] = {glibsupport::retain(window), handler};
}

std::unique_ptr<ToolbarPeer> GtkViewBackend::makeToolbarPeer(ViewPeer& base,
                                                             ToolbarPeerClient& client) {
  return std::make_unique<GtkToolbarPeer>(static_cast<GtkViewPeer&>(base), client);
}

std::unique_ptr<ActivityIndicatorPeer> GtkViewBackend::makeActivityIndicatorPeer(ViewPeer& base) {
  return std::make_unique<GtkActivityIndicatorPeer>(static_cast<GtkViewPeer&>(base));
}

std::unique_ptr<ImageViewPeer> GtkViewBackend::makeImageViewPeer(ViewPeer& base) {
  return std::make_unique<GtkImageViewPeer>(static_cast<GtkViewPeer&>(base));
}

}  // namespace platform::gtk
