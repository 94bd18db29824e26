#pragma once

#include <memory>

#include "platform/ui/ViewBackend.h"

namespace platform::sim {

// Makes the simulated peers of every kind of view (SimViewPeer, SimButtonPeer, SimWebViewPeer,
// SimToolbarPeer, SimActivityIndicatorPeer, SimImageViewPeer, SimMailComposerPeer). The peers of
// special kinds are made over a SimViewPeer.
class SimViewBackend : public ViewBackend {
 public:
  std::unique_ptr<ViewPeer> makeViewPeer(ViewPeerClient& client, const Rect& frame) override;
  std::unique_ptr<ButtonPeer> makeButtonPeer(ViewPeer& base, ButtonPeerClient& client) override;
  std::unique_ptr<WebViewPeer> makeWebViewPeer(ViewPeer& base, WebViewPeerClient& client,
                                               WebViewRole role) override;
  std::unique_ptr<ToolbarPeer> makeToolbarPeer(ViewPeer& base, ToolbarPeerClient& client) override;
  std::unique_ptr<ActivityIndicatorPeer> makeActivityIndicatorPeer(ViewPeer& base) override;
  std::unique_ptr<ImageViewPeer> makeImageViewPeer(ViewPeer& base) override;
  std::unique_ptr<MailComposerPeer> makeMailComposerPeer(ViewPeer& base,
                                                         MailComposerPeerClient& client) override;
};

}  // namespace platform::sim
