#pragma once

#include <functional>
#include <memory>
#include <string>

class TADBannerView;
class TADDelegateManager;
class TADRequest;
class TADWebView;
namespace platform {
class ViewController;
}

// The ad object as its banner view reaches it. The view keeps no state: its properties and loads
// are the object's, forwarded here. The object stands above the views it serves, so the view
// never names it: a banner view is given its object by the maker that the object's room
// installs when the program starts (a program without that room makes no banner).
class TADAdObject {
 public:
  using Maker = std::function<std::shared_ptr<TADAdObject>(const std::shared_ptr<TADBannerView>&)>;

  // The ad object of a new banner view, made by the installed maker. Ends the program when none
  // is installed: a banner without its object could do nothing that its callers ask.
  static std::shared_ptr<TADAdObject> makeForView(const std::shared_ptr<TADBannerView>& view);
  // Installs the maker; returns true, so that it can initialise a static.
  static bool installMaker(Maker maker);

  virtual ~TADAdObject() = default;

  virtual const std::string& adUnitID() const = 0;
  virtual void setAdUnitID(std::string adUnitID) = 0;
  virtual std::shared_ptr<platform::ViewController> rootViewController() const = 0;
  virtual void setRootViewController(std::weak_ptr<platform::ViewController> controller) = 0;
  virtual const std::shared_ptr<TADDelegateManager>& delegateManager() const = 0;
  virtual bool hasAutoRefreshed() const = 0;
  virtual std::shared_ptr<TADWebView> webView() const = 0;
  virtual void loadRequest(const std::shared_ptr<TADRequest>& request) = 0;
  // Stops delayed work and the refresh timer; the view calls it before letting the object go.
  virtual void cancelPendingActions() = 0;
};
