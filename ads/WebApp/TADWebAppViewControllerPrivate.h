#pragma once

#include <memory>
#include <optional>
#include <string>

#include "ads/ViewController/TADViewControllerPrivate.h"
#include "base/URL.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Button.h"

class TADAdEvents;
class TADWebAppWebViewDelegate;
class TADWebView;

// The state of the web app screen.
class TADWebAppViewControllerPrivate : public TADViewControllerPrivate {
 public:
  // Hands the page and its delegate over to the delegate, which keeps the page alive a little
  // longer so that it is not torn down while its scripts still run.
  ~TADWebAppViewControllerPrivate() override;

  std::optional<base::URL> urlToLoad;
  std::optional<std::string> htmlToLoad;
  std::optional<base::URL> htmlBaseURLToLoad;
  std::shared_ptr<TADWebAppWebViewDelegate> webViewDelegate;
  std::shared_ptr<TADWebView> webView;
  std::shared_ptr<platform::Button> closeButton;
  // Shown until the first page has loaded; the page delegate clears it then.
  std::shared_ptr<platform::ActivityIndicatorView> loadingSpinner;
  // Passed to the page delegate's opener; nothing gives the screen one yet.
  std::shared_ptr<TADAdEvents> adController;
};
