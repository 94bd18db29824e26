#pragma once

#include "base/URL.h"

// A message from an ad page: the page navigates to an address of a private scheme ("gmsg", or
// "norvak" in its older forms) and the library reads the message from it instead of loading it.
class TADNotification {
 public:
  static bool isNotificationURL(const base::URL& url) {
    return isGMSGNotificationURL(url) || isNorvakNotificationURL(url);
  }
  static bool isGMSGNotificationURL(const base::URL& url) { return url.scheme() == "gmsg"; }
  static bool isNorvakNotificationURL(const base::URL& url) { return url.scheme() == "norvak"; }
};
