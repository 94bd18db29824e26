#include "platform/ui/ViewBackend.h"

#include "platform/ui/Screen.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace platform {

std::unique_ptr<ToolbarPeer> ViewBackend::makeToolbarPeer(ViewPeer&, ToolbarPeerClient&) {
  return std::make_unique<ToolbarPeer>();
}

std::unique_ptr<ActivityIndicatorPeer> ViewBackend::makeActivityIndicatorPeer(ViewPeer&) {
  return std::make_unique<ActivityIndicatorPeer>();
}

std::unique_ptr<ImageViewPeer> ViewBackend::makeImageViewPeer(ViewPeer&) {
  return std::make_unique<ImageViewPeer>();
}

std::unique_ptr<MailComposerPeer> ViewBackend::makeMailComposerPeer(ViewPeer&,
                                                                    MailComposerPeerClient&) {
  return std::make_unique<MailComposerPeer>();
}

// The window's autoresizing keeps the presented view covering it when the screen turns.
void ViewBackend::presentModalView(View& presenter, const std::shared_ptr<View>& presented) {
  Window* window = presenter.window();
  presented->setFrame(window ? window->bounds() : Screen::main().bounds());
  presented->setAutoresizingMask(kAutoresizingFlexibleWidth | kAutoresizingFlexibleHeight);
  View& host = window ? static_cast<View&>(*window) : presenter;
  host.addSubview(presented);
}

void ViewBackend::dismissModalView(View& presented) {
  presented.removeFromSuperview();
}

void ViewBackend::slideModalView(const std::shared_ptr<View>&, bool, std::function<void()> done) {
  done();
}

}  // namespace platform
