#include "ads/WebApp/TADLibraryScreens.h"

#include "ads/Browser/TADBrowserController.h"
#include "ads/WebApp/TADWebAppViewController.h"

// The opener stands below the screens and reaches them through TADOpenerScreens: these are the
// screens it reaches, installed as the program starts.
namespace {
TADLibraryScreens& libraryScreens() {
  static TADLibraryScreens screens;
  return screens;
}
[[maybe_unused]] const bool kLibraryScreensInstalled = TADOpenerScreens::install(libraryScreens());
}  // namespace

bool TADLibraryScreens::canPresent(const std::shared_ptr<platform::ViewController>& presenter) {
  return TADViewController::canPresentFromViewController(presenter);
}

bool TADLibraryScreens::presentBrowser(const Setup& setup, const base::URL& url,
                                       const std::optional<base::URL>& referrer,
                                       const std::shared_ptr<platform::ViewController>& presenter) {
  auto browser = TADBrowserController::init();
  browser->setSupportedOrientations(setup.supportedOrientations);
  browser->setOpeningWebView(setup.openingWebView);
  browser->load(url, referrer);
  browser->setDelegateManager(setup.delegateManager);
  return browser->presentFromViewController(presenter);
}

std::shared_ptr<TADWebAppViewController> TADLibraryScreens::webApp(const Setup& setup) {
  auto screen = TADWebAppViewController::init();
  screen->setSupportedOrientations(setup.supportedOrientations);
  screen->setOpeningWebView(setup.openingWebView);
  screen->setDelegateManager(setup.delegateManager);
  return screen;
}

bool TADLibraryScreens::presentWebApp(const std::shared_ptr<TADWebAppViewController>& screen,
                                      const std::optional<base::URL>& url,
                                      const std::optional<std::string>& html,
                                      const std::shared_ptr<platform::ViewController>& presenter) {
  if (url) {
    screen->load(url);
  } else {
    screen->loadHTML(html, std::nullopt);
  }
  return screen->presentFromViewController(presenter);
}
