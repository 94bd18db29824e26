#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/core/RunLoop.h"
#include "platform/ui/WebViewPeer.h"

namespace platform {

// The web view peer of a backend built without a web engine: it shows nothing, and every load
// fails on the next run-loop pass with an error in domain kErrorDomain saying so (code 1), so that
// no caller waits for a page that never comes. Scripts give "".
class UnavailableWebViewPeer : public WebViewPeer {
 public:
  static constexpr const char* kErrorDomain = "platform.webview";

  explicit UnavailableWebViewPeer(WebViewPeerClient& client);
  ~UnavailableWebViewPeer() override;
  UnavailableWebViewPeer(const UnavailableWebViewPeer&) = delete;
  UnavailableWebViewPeer& operator=(const UnavailableWebViewPeer&) = delete;

  void loadHTMLString(const std::string& html, const std::optional<base::URL>& baseURL) override;
  void loadRequest(const URLRequest& request) override;
  void stopLoading() override;
  void reload() override {}
  void goBack() override {}
  void goForward() override {}
  bool canGoBack() const override { return false; }
  bool canGoForward() const override { return false; }
  bool isLoading() const override { return false; }
  std::optional<base::URL> currentURL() const override { return std::nullopt; }
  void evaluateJavaScript(const std::string& script, ScriptResult done) override;

 private:
  void fail(const std::string& what);

  WebViewPeerClient& client_;
  std::weak_ptr<RunLoop> runLoop_;
};

}  // namespace platform
