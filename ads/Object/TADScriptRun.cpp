#include "ads/Object/TADScriptRun.h"

#include <iterator>

#include "ads/Addresses/TADNetworkUtilities.h"
#include "ads/Object/TADBuildPageDelegate.h"
#include "ads/Object/TADBuildPageWatcher.h"
#include "ads/Object/TADObjectParameters.h"
#include "ads/View/TADWebViewDelegate.h"
#include "platform/Platform.h"
#include "platform/ui/WebView.h"

namespace {

constexpr std::string_view kBuildFunction = "AVMO_buildAdURL";

std::string callText(const std::string& parameterJSON) {
  return std::string(kBuildFunction) + "(" + parameterJSON + ");";
}

// The page that holds script, then whatever calls follow it.
std::string pageText(const std::string& script, const std::string& calls) {
  return "<html><head><script>" + script + "</script>" + calls + "</head><body></body></html>";
}

// A page at the right origin that has run nothing.
constexpr std::string_view kEmptyPage = "<html><head></head><body></body></html>";

// text as a string literal of script.
std::string quoted(const std::string& text) {
  std::string literal = "'";
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\\' || c == '\'') {
      literal += '\\';
      literal += c;
    } else if (c == '\n') {
      literal += "\\n";
    } else if (c == '\r') {
      literal += "\\r";
    } else if (c == '\xE2' && i + 2 < text.size() && text[i + 1] == '\x80' &&
               (text[i + 2] == '\xA8' || text[i + 2] == '\xA9')) {
      // The line and paragraph separators end a line of script in older engines.
      literal += text[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
      i += 2;
    } else {
      literal += c;
    }
  }
  return literal + "'";
}

}  // namespace

TADScriptRun::TADScriptRun(const std::string& script, const std::string& parameterJSON,
                           const std::string& baseURL, double answerTimeLimit, Handler handler)
    : TADScriptRun(baseURL, nullptr) {
  beginAnswering(answerTimeLimit, std::move(handler));
  buildAdWebView_->loadHTMLString(buildPageText(script, parameterJSON),
                                  base::URL::fromString(baseURL));
}

std::unique_ptr<TADScriptRun> TADScriptRun::prepare(const std::string& baseURL,
                                                    std::unique_ptr<TADScriptRun> over) {
  std::shared_ptr<platform::WebView> page = over ? over->buildAdWebView_ : nullptr;
  // The ended run lets go of its page (its delegate and any load in flight) before the new one
  // takes it.
  over.reset();
  std::unique_ptr<TADScriptRun> run(new TADScriptRun(baseURL, std::move(page)));
  run->prepared_ = true;
  run->buildAdWebView_->loadHTMLString(std::string(kEmptyPage), base::URL::fromString(baseURL));
  return run;
}

TADScriptRun::TADScriptRun(const std::string& baseURL, std::shared_ptr<platform::WebView> webView)
    : baseURL_(baseURL),
      buildAdWebView_(webView ? std::move(webView)
                              : std::make_shared<platform::WebView>(platform::Rect{0, 0, 1, 1})),
      buildAdWebViewDelegate_(std::make_shared<TADBuildPageDelegate>(
          [this](std::string_view name, const base::Value& parameters) {
            answered(name, parameters);
          })) {
  buildAdWebView_->setHidden(true);
  watcher_ = std::make_shared<TADBuildPageWatcher>(
      buildAdWebViewDelegate_,
      [this] {
        page_ = Page::Spoiled;
        if (!handler_) return;
        platform::RunLoop::main().post(0, this, [this] { report(Answer::PageFailed, {}); });
      },
      [this] {
        if (page_ == Page::Loading) page_ = Page::Loaded;
      });
  buildAdWebView_->setDelegate(watcher_);
}

void TADScriptRun::beginAnswering(double answerTimeLimit, Handler handler) {
  handler_ = std::move(handler);
  answerTimer_ = platform::RunLoop::main().startTimer(answerTimeLimit,
                                                      [this] { report(Answer::TimedOut, {}); });
}

bool TADScriptRun::canRun(const std::string& baseURL) const {
  return prepared_ && !handler_ && page_ == Page::Loaded && baseURL_ == baseURL;
}

// The build page is written into the empty document as the parser would read it from a load, so
// the script sees the same page either way.
void TADScriptRun::start(const std::string& script, const std::string& parameterJSON,
                         double answerTimeLimit, Handler handler) {
  beginAnswering(answerTimeLimit, std::move(handler));
  buildAdWebView_->evaluateJavaScript("document.open();document.write(" +
                                          quoted(buildPageText(script, parameterJSON)) +
                                          ");document.close();",
                                      [](const std::string&) {});
}

TADScriptRun::~TADScriptRun() {
  quiet();
  buildAdWebViewDelegate_->forgetHandler();
  buildAdWebView_->setDelegate({});
  buildAdWebView_->stopLoading();
}

std::string TADScriptRun::buildPageText(const std::string& script,
                                        const std::string& parameterJSON) {
  return pageText(script, "<script>" + callText(parameterJSON) + "</script>");
}

std::optional<TADScriptRun::AdAnswer> TADScriptRun::adAnswer(const base::Value& parameters) {
  const base::Dictionary* fields = parameters.asDictionary();
  if (!fields || fields->contains("errors")) return std::nullopt;
  std::optional<std::string> text = fields->stringForKey("url");
  std::optional<base::URL> url = text ? base::URL::fromString(*text) : std::nullopt;
  if (!url) return std::nullopt;
  return AdAnswer{*url, fields->stringForKey("type")};
}

base::URL TADScriptRun::adAddress(base::URL url, const std::optional<std::string>& type,
                                  const base::Dictionary& signals) {
  if (!signals.empty()) {
    if (auto signed_ = TADNetworkUtilities::appendQueryParameters(signals, url)) url = *signed_;
  }
  if (type == "dizudi") {
    if (auto numbered =
            TADNetworkUtilities::appendQueryKey(kTADParameterDIzudiSeqNum, base::Value("1"), url)) {
      url = *numbered;
    }
  }
  return url;
}

void TADScriptRun::quiet() {
  answerTimer_.stop();
  platform::RunLoop::cancelOnMain(this);
}

// A message the page sends after its run has ended spoils the page (report() without a handler),
// so a page that goes on speaking is never prepared again.
std::unique_ptr<TADScriptRun> TADScriptRun::end(std::unique_ptr<TADScriptRun> run) {
  if (!run) return nullptr;
  run->quiet();
  run->handler_ = nullptr;
  if (!run->answered_ || run->page_ == Page::Spoiled || !run->buildAdWebView_->holdsLaterPages())
    return nullptr;
  run->buildAdWebView_->stopLoading();
  return run;
}

// Reported on the next pass, as every page message is acted on: the page's callback is still on
// the stack, and the owner may end the run from the report.
void TADScriptRun::answered(std::string_view name, const base::Value& parameters) {
  const auto& names = TADBuildPageDelegate::kAnswerNames;
  constexpr Answer answers[] = {Answer::LoadAdURL, Answer::InvalidRequest, Answer::UnableToServe};
  for (size_t i = 0; i < std::size(names); ++i) {
    if (name != names[i]) continue;
    platform::RunLoop::main().post(0, this, [this, answer = answers[i], parameters] {
      answered_ = handler_ != nullptr;
      report(answer, parameters);
    });
    return;
  }
}

// The owner usually ends the run from inside the handler, so nothing of the run is touched after
// it: the handler runs from a copy. A prepared page that speaks before it is asked has run
// something of its own, and is no longer fit to serve a request.
void TADScriptRun::report(Answer answer, const base::Value& parameters) {
  Handler handler = handler_;
  if (handler) {
    handler(answer, parameters);
  } else {
    page_ = Page::Spoiled;
  }
}
