#pragma once

#include <memory>
#include <optional>

#include "ads/ViewController/TADViewControllerPrivate.h"
#include "base/URL.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Toolbar.h"

class TADBrowserWebViewDelegate;
class TADWebView;

// The state of the in-app browser.
class TADBrowserControllerPrivate : public TADViewControllerPrivate {
 public:
  // Stops the page and lets go of it, the page delegate first.
  ~TADBrowserControllerPrivate() override;

  std::optional<base::URL> urlToLoad;
  std::optional<base::URL> referringURLToLoad;
  std::shared_ptr<TADBrowserWebViewDelegate> webViewDelegate;
  std::shared_ptr<TADWebView> webView;
  std::shared_ptr<platform::Toolbar> toolbar;
  std::shared_ptr<platform::BarButtonItem> flexibleSpaceButton;
  std::shared_ptr<platform::BarButtonItem> backButton;
  std::shared_ptr<platform::BarButtonItem> forwardButton;
  std::shared_ptr<platform::BarButtonItem> reloadButton;
  std::shared_ptr<platform::BarButtonItem> safariButton;
  std::shared_ptr<platform::BarButtonItem> doneButton;
  std::shared_ptr<platform::BarButtonItem> spinnerContainingButton;
  std::shared_ptr<platform::ActivityIndicatorView> spinner;
};
