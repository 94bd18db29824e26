#pragma once

#include <memory>
#include <optional>

#include "base/URL.h"

class TADDelegateManager;
class TADNotification;
class TADObjectPrivate;
namespace platform {
class ViewController;
class WebView;
}  // namespace platform

// Carries out what leaves an ad page: "open" messages, clicks that the banner opens, mail
// addresses and addresses that are not web pages. Each web view delegate owns one.
//
// This is the face that the web view delegates use. The screens it opens (in-app browser, web
// app, mail composer) come with the full-screen layer, which fills in these operations; until
// then they do nothing. The fields are kept as the delegates set them.
class TADOpener {
 public:
  static std::shared_ptr<TADOpener> init() { return std::make_shared<TADOpener>(); }
  virtual ~TADOpener() = default;

  // Acts on a message by its "a" parameter.
  virtual void openNotification(const TADNotification& /*notification*/) {}
  // Hands url to the operating system, after any click tracking under way.
  virtual void openApp(const std::optional<base::URL>& /*url*/) {}
  // Shows the mail composer for a "mailto:" address.
  virtual void openEmailComposer(const std::optional<base::URL>& /*url*/) {}
  // Present the in-app browser or the web app screen on url; supportedOrientations is a screen
  // orientation code (0 none given, 1 any, 2 portrait, 3 landscape).
  virtual void openBrowserToURL(const std::optional<base::URL>& /*url*/,
                                int /*supportedOrientations*/) {}
  virtual void openWebApp(const std::optional<base::URL>& /*url*/, int /*supportedOrientations*/) {}

  std::shared_ptr<TADDelegateManager> delegateManager() const { return delegateManager_; }
  void setDelegateManager(std::shared_ptr<TADDelegateManager> manager) {
    delegateManager_ = std::move(manager);
  }
  // The controller over which screens and the composer are presented; not kept alive.
  std::shared_ptr<platform::ViewController> viewController() const {
    return viewController_.lock();
  }
  void setViewController(std::weak_ptr<platform::ViewController> controller) {
    viewController_ = std::move(controller);
  }
  const std::optional<base::URL>& referringURL() const { return referringURL_; }
  void setReferringURL(std::optional<base::URL> url) { referringURL_ = std::move(url); }
  std::shared_ptr<platform::WebView> openingWebView() const { return openingWebView_.lock(); }
  void setOpeningWebView(std::weak_ptr<platform::WebView> webView) {
    openingWebView_ = std::move(webView);
  }
  std::shared_ptr<TADObjectPrivate> adController() const { return adController_.lock(); }
  void setAdController(std::weak_ptr<TADObjectPrivate> controller) {
    adController_ = std::move(controller);
  }

 private:
  std::shared_ptr<TADDelegateManager> delegateManager_;
  std::weak_ptr<platform::ViewController> viewController_;
  std::optional<base::URL> referringURL_;
  std::weak_ptr<platform::WebView> openingWebView_;
  std::weak_ptr<TADObjectPrivate> adController_;
};
