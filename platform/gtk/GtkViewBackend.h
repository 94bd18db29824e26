#pragma once

#include <map>
#include <memory>

#include "platform/gtk/GtkWebContext.h"
#include "platform/ui/ViewBackend.h"

namespace platform::gtk {

// Makes GTK peers: every view a GtkViewPeer, buttons and web views their own peers over it, web
// views in webContext, toolbars, activity indicators and image views their own as well.
class GtkViewBackend : public ViewBackend {
 public:
  explicit GtkViewBackend(std::shared_ptr<GtkWebContext> webContext)
      : webContext_(std::move(webContext)) {}
  ~GtkViewBackend() override;

  std::unique_ptr<ViewPeer> makeViewPeer(ViewPeerClient& client, const Rect& frame) override;
  std::unique_ptr<ButtonPeer> makeButtonPeer(ViewPeer& base, ButtonPeerClient& client) override;
  std::unique_ptr<WebViewPeer> makeWebViewPeer(ViewPeer& base, WebViewPeerClient& client,
                                               WebViewRole role) override;
  // Compiles the rules that keep pages off local addresses for the new origin now (a few tens of
  // milliseconds, on WebKit's own thread), which its first page would otherwise wait for.
  void expectWebPagesFrom(const base::URL& pageURL) override;
  std::unique_ptr<MailComposerPeer> makeMailComposerPeer(ViewPeer& base,
                                                         MailComposerPeerClient& client) override;
  std::unique_ptr<ToolbarPeer> makeToolbarPeer(ViewPeer& base, ToolbarPeerClient& client) override;
  std::unique_ptr<ActivityIndicatorPeer> makeActivityIndicatorPeer(ViewPeer& base) override;
  std::unique_ptr<ImageViewPeer> makeImageViewPeer(ViewPeer& base) override;
  // Has the host redrawn where the view lay once it has gone.
  void dismissModalView(View& presented) override;
  // Escape is heard by the desktop window the view is shown in, before the widget with the focus
  // (a page in a web view among them) sees it.
  void closeModalViewOnEscape(View& presented, std::function<bool()> escape) override;
  // Slides over kSlideSeconds, quickly at first and gently at the end.
  void slideModalView(const std::shared_ptr<View>& presented, bool in,
                      std::function<void()> done) override;

  static constexpr double kSlideSeconds = 0.3;

 private:
  struct EscapeWatch {
    glibsupport::GObjectPtr<GtkWidget> window;
    gulong handler = 0;
  };

  void stopWatchingEscape(const View& presented);

  std::shared_ptr<GtkWebContext> webContext_;
  std::map<const View*, EscapeWatch> escapeWatches_;  // by presented view
};

}  // namespace platform::gtk
