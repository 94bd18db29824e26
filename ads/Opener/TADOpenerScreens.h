#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "ads/Device/TADOrientations.h"
#include "base/URL.h"

class TADDelegateManager;
class TADWebAppViewController;
namespace platform {
class ViewController;
class WebView;
}  // namespace platform

// The full-screen screens that an opener presents: the in-app browser and the web app screen.
// Their own pages have openers, so the screens stand above the opener, which knows them only
// through this face. There is one implementation, the library's own screens (TADLibraryScreens,
// with the web app screen), which install themselves as the program starts; library() answers
// them.
class TADOpenerScreens {
 public:
  // What every screen of an opener starts with: its orientation code, the web view handed on to
  // it (not kept alive) and the ad's delegate manager.
  struct Setup {
    TADOrientations supportedOrientations = TADOrientations::Portrait;
    std::weak_ptr<platform::WebView> openingWebView;
    std::shared_ptr<TADDelegateManager> delegateManager;
  };

  virtual ~TADOpenerScreens() = default;
  // The installed screens. Ends the program when none are: an opener without screens could not
  // keep what its gate allowed.
  static TADOpenerScreens& library();
  // Installs screens, which outlive every opener; returns true, so that it can initialise a
  // static.
  static bool install(TADOpenerScreens& screens);

  // Whether a screen presented over presenter would be presented now.
  virtual bool canPresent(const std::shared_ptr<platform::ViewController>& presenter) = 0;
  // Presents a new in-app browser on url, referrer being the first load's Referer, over
  // presenter; answers whether it did. The presentation keeps the browser, not the caller.
  virtual bool presentBrowser(const Setup& setup, const base::URL& url,
                              const std::optional<base::URL>& referrer,
                              const std::shared_ptr<platform::ViewController>& presenter) = 0;
  // A new web app screen, kept by nobody.
  virtual std::shared_ptr<TADWebAppViewController> webApp(const Setup& setup) = 0;
  // Loads url in screen, or else html without a base address, and presents it over presenter;
  // answers whether it did.
  virtual bool presentWebApp(const std::shared_ptr<TADWebAppViewController>& screen,
                             const std::optional<base::URL>& url,
                             const std::optional<std::string>& html,
                             const std::shared_ptr<platform::ViewController>& presenter) = 0;
};
