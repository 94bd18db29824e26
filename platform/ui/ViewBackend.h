#pragma once

#include <functional>
#include <memory>

#include "platform/ui/ActivityIndicatorPeer.h"
#include "platform/ui/ButtonPeer.h"
#include "platform/ui/ImageViewPeer.h"
#include "platform/ui/MailComposerPeer.h"
#include "platform/ui/ToolbarPeer.h"
#include "platform/ui/ViewPeer.h"
#include "platform/ui/WebViewPeer.h"

namespace platform {

class View;

// What a backend supplies to show views. Every view has a view peer; a view of a special kind has
// a second peer of its kind, made over its view peer (base), which places the kind's content
// inside the view. A peer reports to the client it was made with and must not outlive it.
class ViewBackend {
 public:
  virtual ~ViewBackend() = default;
  // The installed platform's; installed() is nullptr while no platform is installed.
  static ViewBackend& current();
  static ViewBackend* installed();

  // frame is the view's frame when the peer is made.
  virtual std::unique_ptr<ViewPeer> makeViewPeer(ViewPeerClient& client, const Rect& frame) = 0;
  virtual std::unique_ptr<ButtonPeer> makeButtonPeer(ViewPeer& base, ButtonPeerClient& client) = 0;
  virtual std::unique_ptr<WebViewPeer> makeWebViewPeer(ViewPeer& base, WebViewPeerClient& client,
                                                       WebViewRole role) = 0;
  // Web views are about to be given pages at pageURL's origin: a backend that gets ready for each
  // origin its pages come from does so now, ahead of the first such page. Nothing by default.
  virtual void expectWebPagesFrom(const base::URL& /*pageURL*/) {}
  // A backend that does not draw these kinds yet gets peers that show nothing.
  virtual std::unique_ptr<ToolbarPeer> makeToolbarPeer(ViewPeer& base, ToolbarPeerClient& client);
  virtual std::unique_ptr<ActivityIndicatorPeer> makeActivityIndicatorPeer(ViewPeer& base);
  virtual std::unique_ptr<ImageViewPeer> makeImageViewPeer(ViewPeer& base);
  virtual std::unique_ptr<MailComposerPeer> makeMailComposerPeer(ViewPeer& base,
                                                                 MailComposerPeerClient& client);

  // Shows a presented controller's view over the whole screen: it takes the bounds of presenter's
  // window (of the screen when presenter is in no window) and follows that window's size, above
  // everything in it (above presenter when it is in no window).
  virtual void presentModalView(View& presenter, const std::shared_ptr<View>& presented);
  virtual void dismissModalView(View& presented);
  // While presented is shown, the desktop's Escape key runs escape, which answers whether it
  // closed a screen; the default has no keyboard.
  virtual void closeModalViewOnEscape(View& /*presented*/, std::function<bool()> /*escape*/) {}
  // Moves a presented view in (or out) over the screen, then calls done; the default is instant.
  // A desktop slides it up from the bottom edge (and back down), as the phone does.
  virtual void slideModalView(const std::shared_ptr<View>& presented, bool in,
                              std::function<void()> done);
};

}  // namespace platform
