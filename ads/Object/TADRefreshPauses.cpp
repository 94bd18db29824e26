#include "ads/Object/TADRefreshPauses.h"

#include <string>
#include <string_view>
#include <utility>

#include "ads/Device/TADIdentifierUtilities.h"
#include "platform/Application.h"
#include "platform/core/NotificationCenter.h"

TADRefreshPauses::TADRefreshPauses(const void* key, Actions actions)
    : key_(key), actions_(std::move(actions)) {
  using platform::Application;
  // The destructor removes these registrations, so none of them outlives this object.
  auto on = [this](std::string_view name, void (TADRefreshPauses::*handler)()) {
    platform::NotificationCenter::defaultCenter().addObserver(
        key_, std::string(name), nullptr,
        [this, handler](const platform::Notification&) { (this->*handler)(); });
  };
  if (TADIdentifierUtilities::sharedInstance().isOSAtLeastMajor(4, 0, 0)) {
    on(Application::kDidEnterBackgroundNotification, &TADRefreshPauses::appDidBackground);
    on(Application::kWillEnterForegroundNotification, &TADRefreshPauses::appDidForeground);
  } else {
    on(Application::kWillResignActiveNotification, &TADRefreshPauses::appDidBackground);
    on(Application::kDidBecomeActiveNotification, &TADRefreshPauses::appDidForeground);
  }
  on("TADViewControllerWillPresentFullScreen", &TADRefreshPauses::adWillPresentFullScreen);
  on("TADViewControllerDidRelinquishFullScreen", &TADRefreshPauses::adDidRelinquishFullScreen);
  on(Application::kDidBecomeActiveNotification, &TADRefreshPauses::appDidBecomeActive);
}

TADRefreshPauses::~TADRefreshPauses() {
  platform::NotificationCenter::removeObserverFromDefaultCenter(key_);
}
