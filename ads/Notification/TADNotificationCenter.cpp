#include "ads/Notification/TADNotificationCenter.h"

#include "ads/Formats/TADMacros.h"
#include "ads/Notification/TADNotification.h"
#include "platform/core/RunLoop.h"
#include "platform/ui/WebView.h"

TADNotificationCenter& TADNotificationCenter::defaultCenter() {
  static TADNotificationCenter center;
  return center;
}

platform::NotificationCenter& TADNotificationCenter::center() {
  return platform::NotificationCenter::defaultCenter();
}

void TADNotificationCenter::addObserver(const void* observer, std::string name, const void* object,
                                        platform::NotificationCenter::Handler handler) {
  center().addObserver(observer, std::move(name), object, std::move(handler));
}

void TADNotificationCenter::removeObserver(const void* observer) {
  center().removeObserver(observer);
}

void TADNotificationCenter::removeObserver(const void* observer, std::string_view name,
                                           const void* object) {
  center().removeObserver(observer, name, object);
}

void TADNotificationCenter::post(std::string name, const void* object, base::Value userInfo) {
  center().post(std::move(name), object, std::move(userInfo));
}

std::string TADNotificationCenter::receiveMessageScript(
    std::string_view name, const std::optional<base::Dictionary>& userInfo) {
  std::string script = std::string(kJSReceiveMessageMethod) + "('" + std::string(name) + "'";
  if (userInfo) {
    base::Value info(*userInfo);
    script += ", " + TADMacros::jsonify(&info).value_or(std::string());
  }
  return script + ");";
}

void TADNotificationCenter::postJSNotification(std::string_view name,
                                               const std::optional<base::Dictionary>& userInfo,
                                               platform::WebView* webView) {
  if (!webView) return;
  webView->evaluateJavaScript(receiveMessageScript(name, userInfo), nullptr);
}

void TADNotificationCenter::postNotificationFromURL(const base::URL& url,
                                                    std::shared_ptr<const void> object,
                                                    double delaySeconds) {
  DelayedPosting posting{url, std::move(object)};
  platform::RunLoop::main().post(delaySeconds, this, [this, posting] { delayedPosting(posting); });
}

void TADNotificationCenter::delayedPosting(const DelayedPosting& posting) {
  postNotificationFromURL(posting.url, posting.object.get());
}

void TADNotificationCenter::postNotificationFromURL(const base::URL& url, const void* object) {
  std::optional<TADNotification> notification = TADNotification::notificationFromURL(url);
  if (!notification) return;
  base::Value userInfo;
  if (notification->parameters()) userInfo = base::Value(*notification->parameters());
  post(notification->name(), object, std::move(userInfo));
}
