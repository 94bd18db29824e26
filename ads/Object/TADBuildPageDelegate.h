#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "ads/View/TADWebViewDelegate.h"
#include "base/Value.h"

// The hidden build page's delegate. The page's answers ("loadAdURL", "invalidRequest",
// "unableToServe") are meant for the one run that loaded it, so they go to that run's handler
// alone and never on the default notification center; every other message is handled as on any
// ad web view. The handler is called in the page's callback: the run defers its own work.
class TADBuildPageDelegate : public TADWebViewDelegate {
 public:
  using AnswerHandler = std::function<void(std::string_view name, const base::Value& parameters)>;

  static constexpr std::string_view kAnswerNames[] = {"loadAdURL", "invalidRequest",
                                                      "unableToServe"};

  explicit TADBuildPageDelegate(AnswerHandler handler);
  // Drops the handler: answers that come after it are heard by nobody.
  void forgetHandler() { handler_ = nullptr; }

 protected:
  void didReceiveOtherMessage(const TADNotification& message, const base::URL& url,
                              platform::WebView& webView) override;

 private:
  AnswerHandler handler_;
};
