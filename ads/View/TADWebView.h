#pragma once

#include <memory>

#include "ads/Registry/TADPrivateUtilities.h"
#include "ads/View/TADWebViewPrivate.h"
#include "platform/ui/WebView.h"

// The web view in which ad pages, landing pages and full-screen web apps are shown. It is made
// ready for ads (pages scaled to fit, resizing with its parent, transparent, no automatic links
// for telephone numbers or addresses, inline media that plays without a user action, AirPlay)
// and remembers whether the user has touched it and when the user last pressed it. Its state
// lives in its companion, a TADWebViewPrivate in the private-object registry, for as long as the
// view.
class TADWebView : public platform::WebView {
  struct Passkey {};

 public:
  // A screen's view unless role says otherwise (the banner's is an ad's).
  static std::shared_ptr<TADWebView> initWithFrame(
      const platform::Rect& frame, platform::WebViewRole role = platform::WebViewRole::Screen);

  TADWebView(Passkey, const platform::Rect& frame, platform::WebViewRole role);
  ~TADWebView() override;

  // A hit test that lands on the view is a touch on it: recorded, with the time of the press that
  // gives the view its activation (TADOpenGate), then the platform's own answer.
  platform::View* hitTest(const platform::Point& point) override;

  bool touched() const;
  // Clearing the flag also forgets the press: a press on the previous ad opens nothing for the
  // next one.
  void setTouched(bool touched);
  std::shared_ptr<TADWebViewPrivate> vars() const;

 protected:
  // A press's release starts the activation's lifetime; Enter or Space on what has the focus is a
  // press as a pointer's is (a touch, with its own release).
  void userInput(platform::WebViewUserInput input) override;
};

template <>
struct TADPrivateCompanion<TADWebView> {
  using type = TADWebViewPrivate;
};
