#pragma once

#include <memory>

#include "platform/ViewBackend.h"

namespace platform::gtk {

// Makes GTK peers: every view a GtkViewPeer, buttons and web views their own peers over it.
// Toolbars, activity indicators and image views show nothing yet.
class GtkViewBackend : public ViewBackend {
 public:
  std::unique_ptr<ViewPeer> makeViewPeer(ViewPeerClient& client, const Rect& frame) override;
  std::unique_ptr<ButtonPeer> makeButtonPeer(ViewPeer& base, ButtonPeerClient& client) override;
  std::unique_ptr<WebViewPeer> makeWebViewPeer(ViewPeer& base, WebViewPeerClient& client) override;
};

}  // namespace platform::gtk
