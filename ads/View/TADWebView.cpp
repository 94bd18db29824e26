#include "ads/View/TADWebView.h"

#include "ads/Registry/TADPrivateUtilities.h"
#include "platform/core/Clock.h"

std::shared_ptr<TADWebView> TADWebView::initWithFrame(const platform::Rect& frame,
                                                      platform::WebViewRole role) {
  return std::make_shared<TADWebView>(Passkey{}, frame, role);
}

TADWebView::TADWebView(Passkey, const platform::Rect& frame, platform::WebViewRole role)
    : platform::WebView(frame, role) {
  TADPrivateUtilities::setPrivateObject(std::make_shared<TADWebViewPrivate>(), this);
  setClipsToBounds(true);
  setScalesPageToFit(true);
  setAutoresizingMask(platform::kAutoresizingFlexibleWidth | platform::kAutoresizingFlexibleHeight);
  setOpaque(false);
  setBackgroundColor(platform::Color::clear());
  setDataDetectorTypes(platform::kDataDetectorNone);
  setAllowsInlineMediaPlayback(true);
  setMediaPlaybackRequiresUserAction(false);
  setMediaPlaybackAllowsAirPlay(true);
}

TADWebView::~TADWebView() {
  TADPrivateUtilities::removePrivateObjectForKey(this);
}

// The platform asks every view of the window in turn where a touch lands, so only a hit test
// that answers with this view (or one inside it) is a touch on it: a tap on a button elsewhere on
// the screen must not make the next navigation of the ad count as a click, nor let it open
// anything.
platform::View* TADWebView::hitTest(const platform::Point& point) {
  platform::View* hit = platform::WebView::hitTest(point);
  if (!hit) return hit;
  setTouched(true);
  if (auto companion = vars()) companion->recordPress(platform::Clock::shared().monotonicSeconds());
  return hit;
}

void TADWebView::userInput(platform::WebViewUserInput input) {
  auto companion = vars();
  if (!companion) return;
  double now = platform::Clock::shared().monotonicSeconds();
  switch (input) {
    case platform::WebViewUserInput::KeyPressed:
      companion->setTouched(true);
      companion->recordPress(now);
      break;
    case platform::WebViewUserInput::PressReleased:
    case platform::WebViewUserInput::KeyReleased:
      companion->recordRelease(now);
      break;
  }
}

std::shared_ptr<TADWebViewPrivate> TADWebView::vars() const {
  return TADPrivateUtilities::privateObjectForKey(this);
}

bool TADWebView::touched() const {
  auto companion = vars();
  return companion && companion->touched();
}

void TADWebView::setTouched(bool touched) {
  auto companion = vars();
  if (!companion) return;
  companion->setTouched(touched);
  if (!touched) companion->forgetPress();
}
