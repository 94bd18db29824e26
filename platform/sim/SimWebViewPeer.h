#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/RunLoop.h"
#include "platform/ui/WebView.h"
#include "platform/ui/WebViewPeer.h"

namespace platform::sim {

// A web view with no engine, driven by the test. Every load the view asks for is recorded at once
// and, as an engine does, goes through the view's decision on a later run-loop pass (a navigation
// of type Other; reload and back/forward of their types); the test then fires further navigations
// (of any type, also from a sub-frame), finishes or fails the load, and answers scripts.
// History: each allowed main-frame navigation that is neither back/forward nor a reload becomes
// the current page and drops the pages after it. Stopping ends a load, or drops one not yet
// begun, with no event.
class SimWebViewPeer : public WebViewPeer {
 public:
  struct HTMLLoad {
    std::string html;
    std::optional<base::URL> baseURL;
  };

  explicit SimWebViewPeer(WebViewPeerClient& client);
  ~SimWebViewPeer() override;
  SimWebViewPeer(const SimWebViewPeer&) = delete;
  SimWebViewPeer& operator=(const SimWebViewPeer&) = delete;

  void loadHTMLString(const std::string& html, const std::optional<base::URL>& baseURL) override;
  void loadRequest(const URLRequest& request) override;
  void stopLoading() override;
  void reload() override;
  void goBack() override;
  void goForward() override;
  bool canGoBack() const override { return index_ > 0; }
  bool canGoForward() const override { return index_ + 1 < history_.size(); }
  bool isLoading() const override { return loading_; }
  std::optional<base::URL> currentURL() const override;
  void evaluateJavaScript(const std::string& script, ScriptResult done) override;
  void settingsChanged(const WebViewSettings& settings) override { settings_ = settings; }

  // A navigation that the page (or the user in it) starts; answers the view's decision. An
  // allowed main-frame navigation starts a load. userGesture: made while the page handled the
  // user's input (false: on the page's own schedule, or by a frame that was not pressed).
  bool navigate(const URLRequest& request, WebViewNavigationType type, bool mainFrame = true,
                bool userGesture = true);
  // The same for a URL text, which must parse.
  bool navigate(std::string_view url, WebViewNavigationType type, bool mainFrame = true,
                bool userGesture = true);
  // The user's input beside touches: a press's release, Enter or Space going down or up.
  void userInput(WebViewUserInput input) { client_.webViewPeerUserInput(input); }
  void finishLoad();
  void failLoad(const base::Error& error);

  // What script evaluates to; scripts with no answer go to the handler, if any, else give "".
  void answerScript(const std::string& script, std::string result) {
    answers_[script] = std::move(result);
  }
  void setScriptHandler(std::function<std::string(const std::string& script)> handler) {
    handler_ = std::move(handler);
  }

  const std::vector<HTMLLoad>& loadedHTML() const { return loadedHTML_; }
  const std::vector<URLRequest>& loadedRequests() const { return loadedRequests_; }
  const std::vector<std::string>& evaluatedScripts() const { return scripts_; }
  // Reloads, stops, goBack and goForward, by name, in order.
  const std::vector<std::string>& commands() const { return commands_; }
  const WebViewSettings& settings() const { return settings_; }

  static SimWebViewPeer& of(WebView& view) {
    return static_cast<SimWebViewPeer&>(view.webViewPeer());
  }

 private:
  void step(int offset);
  void later(std::function<void()> task);

  WebViewPeerClient& client_;
  std::weak_ptr<RunLoop> runLoop_;
  std::vector<URLRequest> history_;
  size_t index_ = 0;  // into history_, when it is not empty
  bool loading_ = false;
  WebViewSettings settings_;
  std::map<std::string, std::string> answers_;
  std::function<std::string(const std::string&)> handler_;
  std::vector<HTMLLoad> loadedHTML_;
  std::vector<URLRequest> loadedRequests_;
  std::vector<std::string> scripts_;
  std::vector<std::string> commands_;
};

}  // namespace platform::sim
