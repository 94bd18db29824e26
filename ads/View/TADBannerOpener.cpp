#include "ads/View/TADBannerOpener.h"

#include <string>

#include "ads/Object/TADObjectPrivate.h"
#include "ads/View/TADWebView.h"
#include "platform/Console.h"

void TADBannerOpener::openNotification(const TADNotification& notification) {
  // One refusal for the whole message: once allowed, the operations it leads to are too.
  if (allowed("an open message")) TADOpener::openNotification(notification);
}

void TADBannerOpener::openApp(const std::optional<base::URL>& url) {
  if (allowed("another application")) TADOpener::openApp(url);
}

void TADBannerOpener::openEmailComposer(const std::optional<base::URL>& url) {
  if (allowed("the mail composer")) TADOpener::openEmailComposer(url);
}

void TADBannerOpener::openBrowserToURL(const std::optional<base::URL>& url,
                                       int supportedOrientations) {
  if (allowed("the browser")) TADOpener::openBrowserToURL(url, supportedOrientations);
}

void TADBannerOpener::openWebApp(const std::optional<base::URL>& url, int supportedOrientations) {
  if (allowed("the web app")) TADOpener::openWebApp(url, supportedOrientations);
}

bool TADBannerOpener::allowed(const char* what) const {
  std::shared_ptr<TADObjectPrivate> object = adController();
  std::shared_ptr<TADWebView> webView = object ? object->webView() : nullptr;
  if (object && webView && object->state() == TADObjectPrivate::kStateShown && webView->touched()) {
    return true;
  }
  platform::Console::log(std::string("<Talvik> Refused to open ") + what +
                         " from the banner: the ad was not touched since it was shown.");
  return false;
}
