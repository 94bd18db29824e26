#pragma once

#include <optional>

#include "ads/Device/TADOrientations.h"
#include "base/Error.h"
#include "platform/ui/WebView.h"

// What the web layer around an ad tells the ad object that owns the ad's load. The banner's web
// view delegate and the openers report here; only the object moves its load from state to state,
// so none of them reads or sets a state of its own.
class TADAdEvents {
 public:
  // How an accepted click on the shown ad opens: on the web app screen when the ad follows its
  // clicks with tracking addresses, otherwise in the in-app browser; with the ad's orientations.
  struct Click {
    bool opensWebApp = false;
    TADOrientations orientations = TADOrientations::Any;
  };

  virtual ~TADAdEvents() = default;

  // The banner's web view finished loading a page.
  virtual void adPageDidFinish() = 0;
  // The banner's web view failed to load a page.
  virtual void adPageDidFail(const base::Error& error) = 0;
  // A navigation of the banner's page: the click it is when the ad has been shown a moment,
  // was touched since, and the navigation is no reload or step through the history; otherwise
  // none, and the navigation is the page's own.
  virtual std::optional<Click> isClick(platform::WebViewNavigationType navigationType) = 0;
  // A screen, the mail composer or another application opened for the ad.
  virtual void adScreenDidOpen() = 0;
  // A click on the ad opened something: told once for each click, where adScreenDidOpen may be
  // told again while leaving for another application waits for the ad's trackings.
  virtual void adWasClicked() {}
};
