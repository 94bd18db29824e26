#pragma once

#include <memory>

#include "platform/ViewBackend.h"
#include "platform/gtk/GtkWebContext.h"

namespace platform::gtk {

// Makes GTK peers: every view a GtkViewPeer, buttons and web views their own peers over it, web
// views in webContext. Toolbars, activity indicators and image views show nothing yet.
class GtkViewBackend : public ViewBackend {
 public:
  explicit GtkViewBackend(std::shared_ptr<GtkWebContext> webContext)
      : webContext_(std::move(webContext)) {}

  std::unique_ptr<ViewPeer> makeViewPeer(ViewPeerClient& client, const Rect& frame) override;
  std::unique_ptr<ButtonPeer> makeButtonPeer(ViewPeer& base, ButtonPeerClient& client) override;
  std::unique_ptr<WebViewPeer> makeWebViewPeer(ViewPeer& base, WebViewPeerClient& client) override;
  std::unique_ptr<MailComposerPeer> makeMailComposerPeer(ViewPeer& base,
                                                         MailComposerPeerClient& client) override;

 private:
  std::shared_ptr<GtkWebContext> webContext_;
};

}  // namespace platform::gtk
