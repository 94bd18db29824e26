#include "platform/gtk/GtkViewBackend.h"

#include "platform/gtk/GtkButtonPeer.h"
#include "platform/gtk/GtkMailComposerPeer.h"
#include "platform/gtk/GtkViewPeer.h"
#include "platform/gtk/GtkWebViewPeer.h"

namespace platform::gtk {

std::unique_ptr<ViewPeer> GtkViewBackend::makeViewPeer(ViewPeerClient& client, const Rect& frame) {
  return std::make_unique<GtkViewPeer>(client, frame);
}

std::unique_ptr<ButtonPeer> GtkViewBackend::makeButtonPeer(ViewPeer& base,
                                                           ButtonPeerClient& client) {
  return std::make_unique<GtkButtonPeer>(static_cast<GtkViewPeer&>(base), client);
}

std::unique_ptr<WebViewPeer> GtkViewBackend::makeWebViewPeer(ViewPeer& base,
                                                             WebViewPeerClient& client) {
  return std::make_unique<GtkWebViewPeer>(static_cast<GtkViewPeer&>(base), client, webContext_);
}

std::unique_ptr<MailComposerPeer> GtkViewBackend::makeMailComposerPeer(
    ViewPeer& base, MailComposerPeerClient& client) {
  return std::make_unique<GtkMailComposerPeer>(static_cast<GtkViewPeer&>(base), client);
}

}  // namespace platform::gtk
