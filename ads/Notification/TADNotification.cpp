#include "ads/Notification/TADNotification.h"

#include <cstdio>

#include "ads/Addresses/TADNetworkUtilities.h"
#include "base/Utf8Validator.h"

std::optional<TADNotification> TADNotification::notificationFromURL(const base::URL& url) {
  if (isGMSGNotificationURL(url)) return fromGMSGURL(url);
  if (isNorvakNotificationURL(url)) return fromNorvakURL(url);
  return std::nullopt;
}

std::optional<TADNotification> TADNotification::fromGMSGURL(const base::URL& url) {
  std::string path = url.path();
  // Names become notification names and script text: a path that decodes to bytes that are no
  // text names nothing.
  if (path.empty() || !base::Utf8Validator::isValid(path)) return std::nullopt;
  // The first character is the "/" after the host; an address without a host may start its
  // path with any character, which goes whole.
  size_t first = base::Utf8Validator::sequenceLength(path.data(), path.data() + path.size());
  return TADNotification(path.substr(first),
                         TADNetworkUtilities::dictionaryFromQueryString(url.query()));
}

std::optional<TADNotification> TADNotification::fromNorvakURL(const base::URL& url) {
  const std::string& host = url.host();
  if (host == "launch") {
    base::Dictionary parameters{{"a", "browser"}};
    base::Dictionary query = TADNetworkUtilities::dictionaryFromQueryString(url.query());
    if (const base::Value* target = query.find("url")) parameters.set("u", *target);
    return TADNotification("open", std::move(parameters));
  }
  if (host == "closecanvas") return TADNotification("close", std::nullopt);
  if (host == "log") {
    return TADNotification("log", TADNetworkUtilities::dictionaryFromQueryString(url.query()));
  }
  return std::nullopt;
}

std::optional<std::string> TADNotification::parameter(std::string_view key) const {
  if (!parameters_) return std::nullopt;
  return parameters_->stringForKey(key);
}

std::string TADNotification::description() const {
  char address[32];
  std::snprintf(address, sizeof address, "%p", static_cast<const void*>(this));
  std::string parameters =
      parameters_ ? base::Value(*parameters_).description() : std::string("(null)");
  return "TADNotification<" + std::string(address) + ">: name:" + name_ +
         " parameters:" + parameters;
}
