#include "ads/Object/TADBuildPageDelegate.h"

#include <algorithm>

#include "ads/Notification/TADNotification.h"

TADBuildPageDelegate::TADBuildPageDelegate(AnswerHandler handler)
    : TADWebViewDelegate(nullptr, TADOpenGate::Source::BuildPage), handler_(std::move(handler)) {}

void TADBuildPageDelegate::didReceiveOtherMessage(const TADNotification& message,
                                                  const base::URL& url,
                                                  platform::WebView& webView) {
  const std::string& name = message.name();
  if (std::find(std::begin(kAnswerNames), std::end(kAnswerNames), name) == std::end(kAnswerNames)) {
    TADWebViewDelegate::didReceiveOtherMessage(message, url, webView);
    return;
  }
  if (!handler_) return;
  const auto& parameters = message.parameters();
  handler_(name, parameters ? base::Value(*parameters) : base::Value());
}
