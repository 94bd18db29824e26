#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/URL.h"
#include "base/Value.h"
#include "platform/core/NotificationCenter.h"

namespace platform {
class WebView;
}

// The keys of a deferred posting: the message address and the object it is posted with.
inline constexpr std::string_view kURLKey = "url";
inline constexpr std::string_view kObjectKey = "object";
// The page function through which native code talks to a page.
inline constexpr std::string_view kJSReceiveMessageMethod = "AVMO_ReceiveMessage";

// The library's face of the process's one default notification center: observers and posts go to
// the installed platform's default center, so the library's own notifications and the
// application's meet there. On top of that it carries page messages that have no built-in handler
// to their observers, and calls back into pages.
class TADNotificationCenter {
 public:
  // What a deferred posting holds until it runs: the address, and the object that the message is
  // posted with, kept alive so that no later object at the same address can be taken for it.
  struct DelayedPosting {
    base::URL url;
    std::shared_ptr<const void> object;
  };

  static TADNotificationCenter& defaultCenter();

  // The platform center's own operations.
  void addObserver(const void* observer, std::string name, const void* object,
                   platform::NotificationCenter::Handler handler);
  void removeObserver(const void* observer);
  void removeObserver(const void* observer, std::string_view name, const void* object);
  void post(std::string name, const void* object, base::Value userInfo = {});

  // Calls the page's message function in webView: "AVMO_ReceiveMessage('<name>', <JSON>);", or
  // "AVMO_ReceiveMessage('<name>');" without user info. The name goes between the quotes as it
  // is: only the library's own names are sent. The script's result is ignored; without a web
  // view nothing is sent.
  void postJSNotification(std::string_view name, const std::optional<base::Dictionary>& userInfo,
                          platform::WebView* webView);
  // Posts the message of url with object after delaySeconds on the main run loop. A delay of 0
  // still waits for a later pass, so the navigation decision that found the message returns
  // first.
  void postNotificationFromURL(const base::URL& url, std::shared_ptr<const void> object,
                               double delaySeconds);
  void delayedPosting(const DelayedPosting& posting);
  // Posts the message of url at once, named after the message with its parameters as user info;
  // nothing when url carries no message.
  void postNotificationFromURL(const base::URL& url, const void* object);

  // The script text of a call into a page (see postJSNotification).
  static std::string receiveMessageScript(std::string_view name,
                                          const std::optional<base::Dictionary>& userInfo);

 private:
  TADNotificationCenter() = default;
  static platform::NotificationCenter& center();
};
