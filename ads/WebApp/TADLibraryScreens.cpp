#include "ads/Browser/TADBrowserController.h"
#include "ads/Opener/TADOpenerScreens.h"
#include "ads/WebApp/TADWebAppViewController.h"

namespace {

class LibraryScreens : public TADOpenerScreens {
 public:
  bool canPresent(const std::shared_ptr<platform::ViewController>& presenter) override {
    return TADViewController::canPresentFromViewController(presenter);
  }

  bool presentBrowser(const Setup& setup, const base::URL& url,
                      const std::optional<base::URL>& referrer,
                      const std::shared_ptr<platform::ViewController>& presenter) override {
    auto browser = TADBrowserController::init();
    browser->setSupportedOrientations(setup.supportedOrientations);
    browser->setOpeningWebView(setup.openingWebView);
    browser->load(url, referrer);
    browser->setDelegateManager(setup.delegateManager);
    return browser->presentFromViewController(presenter);
  }

  std::shared_ptr<TADWebAppViewController> webApp(const Setup& setup) override {
    auto screen = TADWebAppViewController::init();
    screen->setSupportedOrientations(setup.supportedOrientations);
    screen->setOpeningWebView(setup.openingWebView);
    screen->setDelegateManager(setup.delegateManager);
    return screen;
  }

  bool presentWebApp(const std::shared_ptr<TADWebAppViewController>& screen,
                     const std::optional<base::URL>& url, const std::optional<std::string>& html,
                     const std::shared_ptr<platform::ViewController>& presenter) override {
    if (url) {
      screen->load(url);
    } else {
      screen->loadHTML(html, std::nullopt);
    }
    return screen->presentFromViewController(presenter);
  }
};

}  // namespace

TADOpenerScreens& TADOpenerScreens::library() {
  static LibraryScreens screens;
  return screens;
}
