#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ads/Delegate/TADDelegateManager.h"
#include "platform/Geometry.h"

class TADBannerView;
class TADRequest;
class TADRequestPrivate;
class TADWebView;
namespace platform {
class ViewController;
}

// The ad object behind a banner view: it holds everything the view shows and does, and moves
// through its states as an ad is requested, built, fetched and shown.
class TADObjectPrivate : public std::enable_shared_from_this<TADObjectPrivate> {
 public:
  enum State : int32_t {
    kStateNew = 0,
    kStateFetchingPageScript = 1,
    kStatePageScriptUnavailable = 2,
    kStateBuildingAdAddress = 3,
    kStateFetchingAdPage = 4,
    kStateShowing = 5,
    kStateShown = 6,
    kStateFailed = 7,
  };

  // An ad object serving view, filling its bounds.
  static std::shared_ptr<TADObjectPrivate> initWithView(const std::shared_ptr<TADBannerView>& view);
  explicit TADObjectPrivate(const platform::Rect& frame);
  ~TADObjectPrivate();
  TADObjectPrivate(const TADObjectPrivate&) = delete;
  TADObjectPrivate& operator=(const TADObjectPrivate&) = delete;

  const std::string& adUnitID() const { return adUnitID_; }
  void setAdUnitID(std::string adUnitID) { adUnitID_ = std::move(adUnitID); }
  std::shared_ptr<platform::ViewController> rootViewController() const {
    return rootViewController_.lock();
  }
  void setRootViewController(std::weak_ptr<platform::ViewController> controller) {
    rootViewController_ = std::move(controller);
  }
  const std::shared_ptr<TADDelegateManager>& delegateManager() const { return delegateManager_; }
  std::shared_ptr<TADBannerView> adView() const { return adView_.lock(); }
  std::shared_ptr<TADWebView> webView() const { return webView_; }
  std::shared_ptr<TADRequestPrivate> request() const { return request_; }
  int32_t state() const { return state_; }
  bool hasAutoRefreshed() const { return hasAutoRefreshed_; }
  int32_t supportedOrientations() const { return supportedOrientations_; }

  // Starts loading an ad for request (a default request when there is none). The object works
  // on its own copy, so later changes to request do not reach the load.
  void loadRequest(const std::shared_ptr<TADRequest>& request);
  // Cancels delayed work, timers and fetches; the object goes quiet.
  void cancelPendingActions();

  // The object's own copy for request: a default request for none, request itself when it is a
  // private request.
  static std::shared_ptr<TADRequestPrivate> privateRequestWithRequest(
      const std::shared_ptr<TADRequest>& request);

 private:
  std::weak_ptr<TADBannerView> adView_;
  std::string adUnitID_;
  std::shared_ptr<TADDelegateManager> delegateManager_;
  std::weak_ptr<platform::ViewController> rootViewController_;
  std::shared_ptr<TADWebView> webView_;
  std::shared_ptr<TADRequestPrivate> request_;
  int32_t state_ = kStateNew;
  bool hasAutoRefreshed_ = false;
  int32_t supportedOrientations_ = 1;
};
