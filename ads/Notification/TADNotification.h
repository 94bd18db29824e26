#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/URL.h"
#include "base/Value.h"

inline constexpr std::string_view kURLNotificationScheme = "gmsg";
inline constexpr std::string_view kURLNorvakNotificationScheme = "norvak";

// A message from an ad page: the page navigates to an address of a private scheme and the library
// reads the message from it instead of loading it.
//
//   gmsg://<any host>/<name>?<query>   name = the decoded path after its leading "/"; parameters =
//                                      the parsed query (empty without one)
//   norvak://launch?url=<u>            "open" with "a" = "browser" and "u" = the "url" value
//   norvak://closecanvas               "close", no parameters
//   norvak://log?<query>               "log" with the parsed query
//
// Schemes and norvak hosts compare exactly as written. Every other address yields no message, and
// so does a gmsg address whose path is empty or does not decode to UTF-8.
class TADNotification {
 public:
  static bool isNotificationURL(const base::URL& url) {
    return isGMSGNotificationURL(url) || isNorvakNotificationURL(url);
  }
  static bool isGMSGNotificationURL(const base::URL& url) {
    return url.scheme() == kURLNotificationScheme;
  }
  static bool isNorvakNotificationURL(const base::URL& url) {
    return url.scheme() == kURLNorvakNotificationScheme;
  }

  static std::optional<TADNotification> notificationFromURL(const base::URL& url);

  TADNotification() = default;
  TADNotification(std::string name, std::optional<base::Dictionary> parameters)
      : name_(std::move(name)), parameters_(std::move(parameters)) {}

  const std::string& name() const { return name_; }
  void setName(std::string name) { name_ = std::move(name); }
  // None for a message that carries no parameters at all ("close").
  const std::optional<base::Dictionary>& parameters() const { return parameters_; }
  void setParameters(std::optional<base::Dictionary> parameters) {
    parameters_ = std::move(parameters);
  }
  // The text of a parameter, or none when it is missing or not text.
  std::optional<std::string> parameter(std::string_view key) const;

  // "TADNotification<address>: name:<name> parameters:<parameters>", for console lines.
  std::string description() const;

 private:
  static std::optional<TADNotification> fromGMSGURL(const base::URL& url);
  static std::optional<TADNotification> fromNorvakURL(const base::URL& url);

  std::string name_;
  std::optional<base::Dictionary> parameters_;
};
