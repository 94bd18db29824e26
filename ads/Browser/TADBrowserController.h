#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "ads/Browser/TADBrowserControllerPrivate.h"
#include "ads/ViewController/TADViewController.h"
#include "base/URL.h"
#include "platform/ui/Image.h"

// The in-app browser in which landing pages open: a page above a toolbar with back, forward,
// reload (a spinner while loading), open-in-the-system-browser and done. The screen is built the
// first time it is about to appear; a page given before then is loaded at that moment.
class TADBrowserController : public TADViewController {
 public:
  static std::shared_ptr<TADBrowserController> init();
  explicit TADBrowserController(Passkey passkey) : TADViewController(passkey) {}
  ~TADBrowserController() override;

  void load(const std::optional<base::URL>& url);
  // Sends referringURL as the "Referer" header.
  void load(const std::optional<base::URL>& url, const std::optional<base::URL>& referringURL);
  void back();
  void forward();
  void reload();
  void stop();
  // Hands the current page to the system browser; the browser stays open.
  void openInSafari();
  void refreshToolbar();
  void createToolbarButtons();
  std::shared_ptr<platform::BarButtonItem> buttonWithImage(
      const std::shared_ptr<const platform::Image>& image, const std::string& name, int width,
      bool enabled, std::function<void()> action);
  // A browser that never finished loading a page closes when the user returns to the application.
  void appDidEnterForeground();

  void viewWillAppear(bool animated) override;
  void didRotateFromInterfaceOrientation(platform::InterfaceOrientation from) override;
  // Escape taps the done item.
  bool performEscape() override;

  std::shared_ptr<platform::Toolbar> toolbar() const;
  void setToolbar(std::shared_ptr<platform::Toolbar> toolbar);
  std::shared_ptr<TADWebView> webView() const;
  void setWebView(std::shared_ptr<TADWebView> webView);
  std::shared_ptr<TADBrowserControllerPrivate> vars() const;

 protected:
  void setUp() override;
  std::shared_ptr<TADViewControllerPrivate> createPrivateData() const override;
  const platform::WebView* screenWebView() const override;

 private:
  void buildScreen();
  void setMiddleItems(bool loading);
};
