#include "platform/ui/UnavailableWebViewPeer.h"

namespace platform {

UnavailableWebViewPeer::UnavailableWebViewPeer(WebViewPeerClient& client)
    : client_(client), runLoop_(RunLoop::main().weak_from_this()) {}

UnavailableWebViewPeer::~UnavailableWebViewPeer() {
  stopLoading();
}

void UnavailableWebViewPeer::loadHTMLString(const std::string&,
                                            const std::optional<base::URL>& baseURL) {
  fail(baseURL ? baseURL->absoluteString() : "a page");
}

void UnavailableWebViewPeer::loadRequest(const URLRequest& request) {
  fail(request.url().absoluteString());
}

void UnavailableWebViewPeer::stopLoading() {
  if (auto loop = runLoop_.lock()) loop->cancel(this);
}

void UnavailableWebViewPeer::evaluateJavaScript(const std::string&, ScriptResult done) {
  done("");
}

void UnavailableWebViewPeer::fail(const std::string& what) {
  auto loop = runLoop_.lock();
  if (!loop) return;
  base::Error error(kErrorDomain, 1,
                    base::Dictionary{{std::string(base::Error::kLocalizedDescriptionKey),
                                      "Cannot show " + what + ": no web engine is available"}});
  loop->post(0, this, [this, error] { client_.webViewPeerDidFailLoad(error); });
}

}  // namespace platform
