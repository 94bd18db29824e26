#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "ads/Delegate/TADBannerViewDelegate.h"
#include "ads/Registry/TADPrivateUtilities.h"
#include "platform/ui/View.h"

class TADAdObject;
class TADRequest;
class TADWebView;
namespace platform {
class ViewController;
}

// The view an application places on screen to show ads: it loads an ad for a request, reloads it
// on the server's schedule and tells an optional delegate what happens. The view keeps no state of
// its own; every property belongs to its ad object, which lives exactly as long as the view.
//
// Before loadRequest the application sets rootViewController (from which full-screen ad views are
// presented); neither it nor the delegate is kept alive by the view.
//
// Assistive technologies find it as a landmark labelled kAccessibilityLabel, with the ad's page
// inside.
class TADBannerView : public platform::View {
  struct Passkey {};

 public:
  static constexpr std::string_view kAccessibilityLabel = "Advertisement";

  static std::shared_ptr<TADBannerView> initWithFrame(const platform::Rect& frame);
  // A banner with the empty frame.
  static std::shared_ptr<TADBannerView> init();

  TADBannerView(Passkey, const platform::Rect& frame);
  ~TADBannerView() override;

  std::string adUnitID() const;
  void setAdUnitID(std::string adUnitID);
  std::shared_ptr<platform::ViewController> rootViewController() const;
  void setRootViewController(std::weak_ptr<platform::ViewController> controller);
  std::shared_ptr<TADBannerViewDelegate> delegate() const;
  void setDelegate(std::weak_ptr<TADBannerViewDelegate> delegate);
  bool hasAutoRefreshed() const;
  std::shared_ptr<TADWebView> webView() const;

  // Loads an ad for request. Without a root view controller nothing loads: the console says why
  // and the delegate hears of an invalid request.
  void loadRequest(const std::shared_ptr<TADRequest>& request);

  // The ad object, found through the private-object registry.
  std::shared_ptr<TADAdObject> privateObject() const;

 private:
  void commonInitializer();
};

template <>
struct TADPrivateCompanion<TADBannerView> {
  using type = TADAdObject;
};
