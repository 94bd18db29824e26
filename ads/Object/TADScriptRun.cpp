#include "ads/Object/TADScriptRun.h"

#include "ads/Notification/TADNotificationCenter.h"
#include "ads/Object/TADBuildPageWatcher.h"
#include "ads/Utility/TADNetworkUtilities.h"
#include "ads/View/TADWebViewDelegate.h"
#include "platform/Platform.h"
#include "platform/WebView.h"

namespace {

constexpr std::string_view kBuildFunction = "AVMO_buildAdURL";
constexpr const char* kAnswerNames[] = {"loadAdURL", "invalidRequest", "unableToServe"};

}  // namespace

TADScriptRun::TADScriptRun(const std::string& script, const std::string& parameterJSON,
                           const std::string& baseURL, double answerTimeLimit, Handler handler)
    : handler_(std::move(handler)),
      webView_(std::make_shared<platform::WebView>(platform::Rect{0, 0, 1, 1})),
      delegate_(TADWebViewDelegate::init(TADOpenGate::Source::BuildPage)) {
  webView_->setHidden(true);
  observe(kAnswerNames[0], Answer::LoadAdURL);
  observe(kAnswerNames[1], Answer::InvalidRequest);
  observe(kAnswerNames[2], Answer::UnableToServe);
  watcher_ = std::make_shared<TADBuildPageWatcher>(delegate_, [this] {
    platform::RunLoop::main().post(0, this, [this] { report(Answer::PageFailed, {}); });
  });
  webView_->setDelegate(watcher_);
  answerTimer_ = platform::RunLoop::main().startTimer(answerTimeLimit,
                                                      [this] { report(Answer::TimedOut, {}); });
  webView_->loadHTMLString(buildPageText(script, parameterJSON), base::URL::fromString(baseURL));
}

TADScriptRun::~TADScriptRun() {
  quiet();
  if (platform::Platform::isInstalled()) {
    auto& center = TADNotificationCenter::defaultCenter();
    for (const char* name : kAnswerNames)
      center.removeObserver(this, name, webView_.get());
  }
  webView_->setDelegate({});
  webView_->stopLoading();
}

std::string TADScriptRun::buildPageText(const std::string& script,
                                        const std::string& parameterJSON) {
  std::string page = "<html><head><script>";
  page += script;
  page += "</script>";
  page += "<script>" + std::string(kBuildFunction) + "(" + parameterJSON + ");</script>";
  page += "</head><body></body></html>";
  return page;
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
    if (auto numbered = TADNetworkUtilities::appendQueryKey("seq_num", base::Value("1"), url)) {
      url = *numbered;
    }
  }
  return url;
}

void TADScriptRun::quiet() {
  answerTimer_.stop();
  platform::RunLoop::cancelOnMain(this);
}

void TADScriptRun::observe(const char* name, Answer answer) {
  TADNotificationCenter::defaultCenter().addObserver(
      this, name, webView_.get(),
      [this, answer](const platform::Notification& n) { report(answer, n.userInfo); });
}

// The owner usually ends the run from inside the handler, so nothing of the run is touched after
// it: the handler runs from a copy.
void TADScriptRun::report(Answer answer, const base::Value& parameters) const {
  Handler handler = handler_;
  if (handler) handler(answer, parameters);
}
