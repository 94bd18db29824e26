#include "ads/Object/TADRefreshPauses.h"

#include <string>
#include <string_view>

#include "ads/Device/TADIdentifierUtilities.h"
#include "platform/Application.h"
#include "platform/core/NotificationCenter.h"

TADRefreshPauses::TADRefreshPauses(const void* key, Actions actions) : key_(key) {
  using platform::Application;
  auto on = [this](std::string_view name, const std::function<void()>& action) {
    platform::NotificationCenter::defaultCenter().addObserver(
        key_, std::string(name), nullptr, [action](const platform::Notification&) { action(); });
  };
  if (TADIdentifierUtilities::sharedInstance().isOSAtLeastMajor(4, 0, 0)) {
    on(Application::kDidEnterBackgroundNotification, actions.pause);
    on(Application::kWillEnterForegroundNotification, actions.resume);
  } else {
    on(Application::kWillResignActiveNotification, actions.pause);
    on(Application::kDidBecomeActiveNotification, actions.resume);
  }
  on("TADViewControllerWillPresentFullScreen", actions.pause);
  on("TADViewControllerDidRelinquishFullScreen", actions.resume);
  on(Application::kDidBecomeActiveNotification, actions.runDue);
}

TADRefreshPauses::~TADRefreshPauses() {
  platform::NotificationCenter::removeObserverFromDefaultCenter(key_);
}
