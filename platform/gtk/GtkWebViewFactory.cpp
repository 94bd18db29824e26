#include "platform/UnavailableWebViewPeer.h"
#include "platform/gtk/GtkWebViewPeer.h"

namespace platform::gtk {

// This build links no web engine: web views show nothing and their loads fail.
std::unique_ptr<WebViewPeer> makeGtkWebViewPeer(GtkViewPeer&, WebViewPeerClient& client) {
  return std::make_unique<UnavailableWebViewPeer>(client);
}

}  // namespace platform::gtk
