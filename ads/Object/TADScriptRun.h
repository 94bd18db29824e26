#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/URL.h"
#include "base/Value.h"
#include "platform/core/RunLoop.h"

class TADBuildPageDelegate;
class TADBuildPageWatcher;
namespace platform {
class WebView;
}

// One run of the ad network's page script: a hidden 1 x 1 build page, never added to any view,
// that calls the script's build function on the request parameters and answers through a page
// message to the page's own delegate (TADBuildPageDelegate). The run reports exactly what the page
// did, at most once per event, and the owner ends the run (by destroying it) when it has its
// answer:
//   LoadAdURL, InvalidRequest, UnableToServe  the script's answers, with their parameters;
//   PageFailed  the page could not load or its web process ended, reported on the next pass (not
//               inside the page's own callback, since ending the run tears the page down);
//   TimedOut    no answer within the answer time limit.
// Until it is destroyed the run owns its page and the page's delegate.
//
// A run can also be prepared ahead of its request: its page is then an empty document at the base
// address, which has run nothing, and a later start() writes the build page into it, which spares
// the answer a whole page load. The script's own code therefore runs once for each request,
// whether the prepared page serves it or is dropped: nobody outside can tell a prepared page
// from none. A prepared page serves one request, and only while it is fully loaded, its web
// process alive and its base address the one asked for; otherwise the owner drops it and starts
// a whole run.
class TADScriptRun {
 public:
  enum class Answer { LoadAdURL, InvalidRequest, UnableToServe, PageFailed, TimedOut };
  using Handler = std::function<void(Answer answer, const base::Value& parameters)>;

  // Starts the run on script and parameterJSON, the page based on baseURL.
  TADScriptRun(const std::string& script, const std::string& parameterJSON,
               const std::string& baseURL, double answerTimeLimit, Handler handler);
  // Loads an empty page based on baseURL for a run still to come: in the page of over, a run
  // that has ended (its build page gives way to the empty one, so no page is loaded only to clear
  // it), or in a new page when there is none.
  static std::unique_ptr<TADScriptRun> prepare(const std::string& baseURL,
                                               std::unique_ptr<TADScriptRun> over = nullptr);
  ~TADScriptRun();
  TADScriptRun(const TADScriptRun&) = delete;
  TADScriptRun& operator=(const TADScriptRun&) = delete;

  // A "loadAdURL" answer: the ad's address and the request type.
  struct AdAnswer {
    base::URL url;
    std::optional<std::string> type;
  };
  // The answer in a "loadAdURL" message's parameters; none when they carry "errors" or no usable
  // "url" (an answer without an address is as good as none: the load would hang waiting for it).
  static std::optional<AdAnswer> adAnswer(const base::Value& parameters);
  // The address of the ad that the script answered with url and type: signals, a pair signed
  // for this request, appended to its query, then "seq_num" 1 for the type "dizudi".
  static base::URL adAddress(base::URL url, const std::optional<std::string>& type,
                             const base::Dictionary& signals);
  // The build page that runs script on parameterJSON.
  static std::string buildPageText(const std::string& script, const std::string& parameterJSON);

  // Whether this prepared run can start a run based on baseURL.
  bool canRun(const std::string& baseURL) const;
  // Starts a prepared run: the build page of script on parameterJSON is written into the loaded
  // empty page.
  void start(const std::string& script, const std::string& parameterJSON, double answerTimeLimit,
             Handler handler);

  const std::shared_ptr<platform::WebView>& buildAdWebView() const { return buildAdWebView_; }
  // Stops the answer timer and any report still on its way; the page stays.
  void quiet();
  // Ends the run: nothing more is reported. A page that gave one of the script's answers, neither
  // failed nor spoke out of turn, and may hold later pages stays for a later prepare(): the run
  // returned holds it. Otherwise none is returned, and the page goes.
  static std::unique_ptr<TADScriptRun> end(std::unique_ptr<TADScriptRun> run);

 private:
  enum class Page { Loading, Loaded, Spoiled };

  TADScriptRun(const std::string& baseURL, std::shared_ptr<platform::WebView> webView);
  void beginAnswering(double answerTimeLimit, Handler handler);
  void answered(std::string_view name, const base::Value& parameters);
  void report(Answer answer, const base::Value& parameters);

  std::string baseURL_;
  bool prepared_ = false;
  bool answered_ = false;
  Page page_ = Page::Loading;
  Handler handler_;
  std::shared_ptr<platform::WebView> buildAdWebView_;
  std::shared_ptr<TADBuildPageDelegate> buildAdWebViewDelegate_;
  std::shared_ptr<TADBuildPageWatcher> watcher_;
  platform::RunLoop::Timer answerTimer_;
};
