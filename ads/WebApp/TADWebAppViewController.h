#pragma once

#include <memory>
#include <optional>
#include <string>

#include "ads/ViewController/TADViewController.h"
#include "ads/WebApp/TADWebAppViewControllerPrivate.h"
#include "base/URL.h"

// An ad's full-screen web app: a page from an address or from HTML text filling the screen, a
// round close button in the top-left corner and a spinner until the first page has loaded. The
// page hears "onshow" once when the screen is up and its page loaded, and "onhide" when it goes.
class TADWebAppViewController : public TADViewController {
 public:
  static std::shared_ptr<TADWebAppViewController> init();
  explicit TADWebAppViewController(Passkey passkey) : TADViewController(passkey) {}

  // Loads url, or remembers it until the screen is built; nothing for none.
  void load(const std::optional<base::URL>& url);
  // Loads html with baseURL, or remembers both; nothing for no text.
  void loadHTML(const std::optional<std::string>& html, const std::optional<base::URL>& baseURL);

  void viewWillAppear(bool animated) override;
  void viewDidAppear(bool animated) override;
  void viewDidDisappear(bool animated) override;
  void didRotateFromInterfaceOrientation(platform::InterfaceOrientation from) override;
  // Escape presses the close button.
  bool performEscape() override;

  std::shared_ptr<TADAdEvents> adController() const;
  void setAdController(std::shared_ptr<TADAdEvents> controller);
  std::shared_ptr<TADWebView> webView() const;
  void setWebView(std::shared_ptr<TADWebView> webView);
  std::shared_ptr<TADWebAppViewControllerPrivate> vars() const;

 protected:
  void setUp() override;
  std::shared_ptr<TADViewControllerPrivate> createPrivateData() const override;
  const platform::WebView* screenWebView() const override;

 private:
  void buildScreen();
};
