#pragma once

#include <functional>
#include <optional>
#include <string>

#include "base/Error.h"
#include "base/URL.h"
#include "platform/net/URLRequest.h"

namespace platform {

// What started a navigation, by the platform's numbers.
enum class WebViewNavigationType {
  LinkClicked = 0,
  FormSubmitted = 1,
  BackForward = 2,
  Reload = 3,
  FormResubmitted = 4,
  Other = 5,
};

// Kinds of data in a page that become tappable links (a bit mask).
enum DataDetectorTypes : unsigned {
  kDataDetectorNone = 0,
  kDataDetectorPhoneNumber = 1 << 0,
  kDataDetectorLink = 1 << 1,
  kDataDetectorAddress = 1 << 2,
  kDataDetectorCalendarEvent = 1 << 3,
  kDataDetectorAll = ~0u,
};

// What a web view is for, which tells a backend how far to keep its pages from the others'.
enum class WebViewRole {
  // A page that is never on screen and only runs a script: it may share its engine's process with
  // other hidden pages, and the view may serve the next of them.
  Hidden,
  // An ad that nobody asked to see: its pages run apart from every other view's, and while the
  // user has not pressed it, each page has a budget of the engine's time and of network.
  Ad,
  // A page the user asked to see: its pages run apart from every other view's.
  Screen,
};

// What the user did in a web view besides pressing on it (a press is a touch of the view, its
// hit test): the end of that press, and the keys that activate what has the focus in a page.
enum class WebViewUserInput {
  PressReleased,  // the pointer button of a press on the view went up
  KeyPressed,     // Enter or Space went down while the view had the keyboard focus
  KeyReleased,    // and came up again
};

// The web view's settings. A peer applies those its engine has an equivalent for and keeps the
// rest unapplied.
struct WebViewSettings {
  bool scalesPageToFit = false;
  unsigned dataDetectorTypes = kDataDetectorPhoneNumber;
  bool allowsInlineMediaPlayback = false;
  bool mediaPlaybackRequiresUserAction = true;
  bool mediaPlaybackAllowsAirPlay = true;
  // Whether the page scrolls back to its top when the user asks the screen to (the phone's tap
  // on the status bar).
  bool scrollsToTop = true;
  // Whether the page's alerts, confirmations and prompts are shown to the user (a few at most;
  // the rest are answered unseen) or all answered unseen. Only a page the user chose to open
  // shows them.
  bool showsScriptDialogs = false;

  bool operator==(const WebViewSettings&) const = default;
};

// What a web view hears from its peer, on the run loop. A peer stops reporting when it is
// destroyed.
class WebViewPeerClient {
 public:
  // Asked before a navigation of the main frame or of a sub-frame fetches anything; false
  // refuses it, and then nothing is fetched and no load event follows. userGesture: the engine
  // made the navigation while a frame handled the user's own input (or in a timer that the
  // handling started), as opposed to on a page's own schedule.
  virtual bool webViewPeerShouldStartLoad(const URLRequest& request, WebViewNavigationType type,
                                          bool mainFrame, bool userGesture) = 0;
  virtual void webViewPeerUserInput(WebViewUserInput input) = 0;
  // The main frame's load began, finished, or failed.
  virtual void webViewPeerDidStartLoad() = 0;
  virtual void webViewPeerDidFinishLoad() = 0;
  virtual void webViewPeerDidFailLoad(const base::Error& error) = 0;

 protected:
  ~WebViewPeerClient() = default;
};

// What a backend does for a web view beyond its view peer: runs an engine that shows pages inside
// that view. History, loading state and the current address are the engine's.
class WebViewPeer {
 public:
  using ScriptResult = std::function<void(std::string result)>;

  virtual ~WebViewPeer() = default;

  // An absent base URL loads the text with no address of its own.
  virtual void loadHTMLString(const std::string& html, const std::optional<base::URL>& baseURL) = 0;
  // Loads request with its header fields (such as "Referer").
  virtual void loadRequest(const URLRequest& request) = 0;
  virtual void stopLoading() = 0;
  virtual void reload() = 0;
  virtual void goBack() = 0;
  virtual void goForward() = 0;
  virtual bool canGoBack() const = 0;
  virtual bool canGoForward() const = 0;
  virtual bool isLoading() const = 0;
  // The address of the page the main frame shows or is loading, if any.
  virtual std::optional<base::URL> currentURL() const = 0;

  // Runs script in the main frame's page; done receives the result as text (empty when the
  // script fails or gives nothing). done runs at most once, possibly before this returns, and
  // never after the peer is destroyed.
  virtual void evaluateJavaScript(const std::string& script, ScriptResult done) = 0;

  virtual void settingsChanged(const WebViewSettings& /*settings*/) {}

  // Whether the view may go on to hold later pages of its kind: not while it runs in an engine
  // process lent by a view of another kind (a page there could stall that view's pages). A client
  // that would keep the view for a later page makes a new one instead.
  virtual bool holdsLaterPages() const { return true; }
};

}  // namespace platform
