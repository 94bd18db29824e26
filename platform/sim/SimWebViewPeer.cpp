#include "platform/sim/SimWebViewPeer.h"

#include <cstdio>
#include <cstdlib>

namespace platform::sim {

SimWebViewPeer::SimWebViewPeer(WebViewPeerClient& client)
    : client_(client), runLoop_(RunLoop::main().weak_from_this()) {}

SimWebViewPeer::~SimWebViewPeer() {
  if (auto loop = runLoop_.lock()) loop->cancel(this);
}

void SimWebViewPeer::later(std::function<void()> task) {
  if (auto loop = runLoop_.lock()) loop->post(0, this, std::move(task));
}

void SimWebViewPeer::loadHTMLString(const std::string& html,
                                    const std::optional<base::URL>& baseURL) {
  loadedHTML_.push_back({html, baseURL});
  std::string url = baseURL ? baseURL->absoluteString() : "about:blank";
  later([this, url] { navigate(url, WebViewNavigationType::Other); });
}

void SimWebViewPeer::loadRequest(const URLRequest& request) {
  loadedRequests_.push_back(request);
  later([this, request] { navigate(request, WebViewNavigationType::Other); });
}

void SimWebViewPeer::stopLoading() {
  commands_.push_back("stopLoading");
  if (auto loop = runLoop_.lock()) loop->cancel(this);
  loading_ = false;
}

void SimWebViewPeer::reload() {
  commands_.push_back("reload");
  later([this] {
    if (!history_.empty()) navigate(history_[index_], WebViewNavigationType::Reload);
  });
}

void SimWebViewPeer::goBack() {
  commands_.push_back("goBack");
  later([this] {
    if (canGoBack()) step(-1);
  });
}

void SimWebViewPeer::goForward() {
  commands_.push_back("goForward");
  later([this] {
    if (canGoForward()) step(+1);
  });
}

void SimWebViewPeer::step(int offset) {
  size_t target = index_ + offset;
  if (!client_.webViewPeerShouldStartLoad(history_[target], WebViewNavigationType::BackForward,
                                          true, true)) {
    return;
  }
  index_ = target;
  loading_ = true;
  client_.webViewPeerDidStartLoad();
}

std::optional<base::URL> SimWebViewPeer::currentURL() const {
  if (history_.empty()) return std::nullopt;
  return history_[index_].url();
}

void SimWebViewPeer::evaluateJavaScript(const std::string& script, ScriptResult done) {
  scripts_.push_back(script);
  std::string result;
  if (auto answer = answers_.find(script); answer != answers_.end()) {
    result = answer->second;
  } else if (handler_) {
    result = handler_(script);
  }
  done(std::move(result));
}

bool SimWebViewPeer::navigate(const URLRequest& request, WebViewNavigationType type, bool mainFrame,
                              bool userGesture) {
  if (!client_.webViewPeerShouldStartLoad(request, type, mainFrame, userGesture)) return false;
  if (!mainFrame) return true;
  if (type == WebViewNavigationType::Reload && !history_.empty()) {
    history_[index_] = request;
  } else if (type != WebViewNavigationType::BackForward || history_.empty()) {
    if (!history_.empty())
      history_.erase(history_.begin() + static_cast<long>(index_) + 1, history_.end());
    history_.push_back(request);
    index_ = history_.size() - 1;
  }
  loading_ = true;
  client_.webViewPeerDidStartLoad();
  return true;
}

bool SimWebViewPeer::navigate(std::string_view url, WebViewNavigationType type, bool mainFrame,
                              bool userGesture) {
  std::optional<base::URL> parsed = base::URL::fromString(url);
  if (!parsed) {
    std::fprintf(stderr, "SimWebViewPeer: not a URL: %.*s\n", static_cast<int>(url.size()),
                 url.data());
    std::abort();
  }
  return navigate(URLRequest(*parsed), type, mainFrame, userGesture);
}

void SimWebViewPeer::finishLoad() {
  loading_ = false;
  client_.webViewPeerDidFinishLoad();
}

void SimWebViewPeer::failLoad(const base::Error& error) {
  loading_ = false;
  client_.webViewPeerDidFailLoad(error);
}

}  // namespace platform::sim
