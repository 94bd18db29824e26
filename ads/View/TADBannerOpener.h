#pragma once

#include "ads/Opener/TADOpener.h"

// The banner's opener. What takes the user out of the application or covers it (another
// application, the mail composer, the in-app browser, the web app, an "open" message) goes ahead
// only when the banner has been touched since the current ad was shown, so that an ad page cannot
// send the user away by itself (a page that redirects itself on load, say). A refusal writes one
// "<Talvik> …" console line; the opener's own screens are not guarded.
class TADBannerOpener : public TADOpener {
 public:
  void openNotification(const TADNotification& notification) override;
  void openApp(const std::optional<base::URL>& url) override;
  void openEmailComposer(const std::optional<base::URL>& url) override;
  void openBrowserToURL(const std::optional<base::URL>& url, int supportedOrientations) override;
  void openWebApp(const std::optional<base::URL>& url, int supportedOrientations) override;

  // Whether the ad object is shown and its web view touched; says why not on the console.
  bool allowed(const char* what) const;
};
