#include "platform/sim/SimViewBackend.h"

#include "platform/sim/SimActivityIndicatorPeer.h"
#include "platform/sim/SimButtonPeer.h"
#include "platform/sim/SimImageViewPeer.h"
#include "platform/sim/SimMailComposerPeer.h"
#include "platform/sim/SimToolbarPeer.h"
#include "platform/sim/SimViewPeer.h"
#include "platform/sim/SimWebViewPeer.h"

namespace platform::sim {

std::unique_ptr<ViewPeer> SimViewBackend::makeViewPeer(ViewPeerClient& client, const Rect&) {
  return std::make_unique<SimViewPeer>(client);
}

std::unique_ptr<ButtonPeer> SimViewBackend::makeButtonPeer(ViewPeer& base,
                                                           ButtonPeerClient& client) {
  return std::make_unique<SimButtonPeer>(static_cast<SimViewPeer&>(base), client);
}

std::unique_ptr<WebViewPeer> SimViewBackend::makeWebViewPeer(ViewPeer&, WebViewPeerClient& client,
                                                             WebViewRole) {
  return std::make_unique<SimWebViewPeer>(client);
}

std::unique_ptr<ToolbarPeer> SimViewBackend::makeToolbarPeer(ViewPeer&, ToolbarPeerClient& client) {
  return std::make_unique<SimToolbarPeer>(client);
}

std::unique_ptr<ActivityIndicatorPeer> SimViewBackend::makeActivityIndicatorPeer(ViewPeer&) {
  return std::make_unique<SimActivityIndicatorPeer>();
}

std::unique_ptr<ImageViewPeer> SimViewBackend::makeImageViewPeer(ViewPeer&) {
  return std::make_unique<SimImageViewPeer>();
}

std::unique_ptr<MailComposerPeer> SimViewBackend::makeMailComposerPeer(
    ViewPeer&, MailComposerPeerClient& client) {
  return std::make_unique<SimMailComposerPeer>(client);
}

}  // namespace platform::sim
