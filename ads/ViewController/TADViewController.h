#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "ads/Registry/TADPrivateUtilities.h"
#include "ads/View/TADRelinquishableScreen.h"
#include "ads/ViewController/TADViewControllerPrivate.h"
#include "base/Value.h"
#include "platform/ui/ViewController.h"

// Posted on the default notification center with the screen as object.
inline constexpr std::string_view TADViewControllerWillPresentFullScreen =
    "TADViewControllerWillPresentFullScreen";
inline constexpr std::string_view TADViewControllerDidRelinquishFullScreen =
    "TADViewControllerDidRelinquishFullScreen";
// The user-info key of a page's "settings" message that restricts the screen's orientations.
inline constexpr std::string_view kTADSupportedOrientationsKey = "supportedorientations";

// A full-screen ad screen presented over the application. While it is up the status bar is
// hidden and the device does not lock; both are put back as they were when it closes. The first
// screen (presented over the application's own controller) tells the application's ad delegate
// when it comes and goes; a screen opened from another screen leaves that to the first one. Every
// screen posts the two notifications above.
//
// Screens are made in two steps, so that subclasses can make their own companion: use init().
class TADViewController : public platform::ViewController, public TADRelinquishableScreen {
 protected:
  struct Passkey {};

 public:
  static std::shared_ptr<TADViewController> init();
  explicit TADViewController(Passkey) {}
  ~TADViewController() override;

  // Presents this screen over controller and answers whether it did. Without a controller, or
  // while the controller that would present it already presents another screen, it says so on
  // the console and does nothing: one screen at a time, and a screen that is not presented is
  // not kept.
  bool presentFromViewController(const std::shared_ptr<platform::ViewController>& controller);
  // Whether a screen presented from controller would be presented now: there is a controller and
  // the one that would present the screen presents none yet.
  static bool canPresentFromViewController(
      const std::shared_ptr<platform::ViewController>& controller);
  // The modal step: the key window's root controller presents the screen when there is one,
  // otherwise controller does and the screen hears viewDidAppear after 0.6 seconds as well.
  virtual void presentSelfFrom(const std::shared_ptr<platform::ViewController>& controller);
  void relinquishScreen() override;
  // Closes the screen as its close control would, but now and without the slide: for when what
  // it covers is going away. The ad delegate hears that it goes before this returns, as long as
  // nothing but the caller still holds the screen.
  void relinquishScreenAtOnce();

  bool shouldAutorotateToInterfaceOrientation(platform::InterfaceOrientation orientation) override;
  void viewDidAppear(bool animated) override;
  void viewDidDisappear(bool animated) override;

  // Applies a "settings" message's user info: its "supportedorientations" text, when it names an
  // orientation.
  void settingsChanged(const base::Value& userInfo);

  // "any", "portrait", "landscape"; anything else, empty or absent None.
  static TADOrientations orientationFromString(const std::optional<std::string_view>& text);

  // Whether the screen was presented over a controller that is not an ad screen.
  bool isFirstTADViewController() const;

  TADOrientations supportedOrientations() const;
  // None keeps the current orientations.
  void setSupportedOrientations(TADOrientations orientations);
  std::shared_ptr<platform::WebView> openingWebView() const;
  void setOpeningWebView(std::weak_ptr<platform::WebView> webView);
  std::shared_ptr<TADDelegateManager> delegateManager();
  void setDelegateManager(std::shared_ptr<TADDelegateManager> manager);
  bool statusBarWasHidden() const;
  void setStatusBarWasHidden(bool hidden);

  // The companion, from the registry.
  std::shared_ptr<TADViewControllerPrivate> privateData() const;

 protected:
  template <typename Screen>
  static std::shared_ptr<Screen> make() {
    auto screen = std::make_shared<Screen>(Passkey{});
    static_cast<TADViewController&>(*screen).setUp();
    return screen;
  }
  // The second step of making a screen: companion, root view, "settings" registration.
  virtual void setUp();
  virtual std::shared_ptr<TADViewControllerPrivate> createPrivateData() const;
  // The page the screen shows, if any: its "settings" messages apply to the screen.
  virtual const platform::WebView* screenWebView() const { return nullptr; }

 private:
  bool isViewInScreen(const void* object) const;
  // The controller that presents this screen when it is presented from controller.
  static std::shared_ptr<platform::ViewController> presenterFor(
      const std::shared_ptr<platform::ViewController>& controller);
  void hideStatusBar();
  void restoreStatusBar();
  void relinquish(bool animated);

  // Keeps the screen alive from presentation until it is closed.
  std::shared_ptr<platform::ViewController> self_;
  // Whether the screen was first when presented; the end of life still knows it after the
  // parent has let go.
  bool presentedFirst_ = false;
};

template <>
struct TADPrivateCompanion<TADViewController> {
  using type = TADViewControllerPrivate;
};
