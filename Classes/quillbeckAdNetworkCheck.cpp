#include "Classes/quillbeckAdNetworkCheck.h"

#include <utility>

#include "base/URL.h"
#include "platform/core/Console.h"
#include "platform/net/URLConnection.h"

// Reads the answer to the one request and says what is wrong with it, once.
class quillbeckAdNetworkCheck::Probe : public platform::URLConnectionDelegate {
 public:
  Probe(std::string origin, Say say) : origin_(std::move(origin)), say_(std::move(say)) {}

  const std::string& origin() const { return origin_; }
  bool finished() const { return finished_; }

  void connectionDidReceiveResponse(platform::URLConnection&,
                                    const platform::URLResponse& response) override {
    status_ = response.statusCode();
  }
  void connectionDidReceiveData(platform::URLConnection&, std::span<const uint8_t> data) override {
    bodyBytes_ += data.size();
  }
  void connectionDidFinishLoading(platform::URLConnection&) override {
    if (status_ != 200) {
      finish("answers status " + std::to_string(status_) + " for its page script " + origin_ +
             std::string(kScriptPath));
    } else if (bodyBytes_ == 0) {
      finish("answers an empty page script at " + origin_ + std::string(kScriptPath));
    } else {
      finish({});
    }
  }
  void connectionDidFailWithError(platform::URLConnection&, const base::Error& error) override {
    std::string reason = error.localizedDescription();
    if (reason.ends_with('.')) reason.pop_back();
    finish("cannot be reached: " + reason);
  }

 private:
  void finish(const std::string& problem) {
    if (finished_) return;
    finished_ = true;
    if (problem.empty()) return;
    std::string line = "quillbeck: the ad network at " + origin_ + " " + problem +
                       "; the banner will try again in 30 seconds, then less often";
    if (say_) {
      say_(line);
    } else {
      platform::Console::log(line);
    }
  }

  const std::string origin_;
  const Say say_;
  int status_ = 0;
  size_t bodyBytes_ = 0;
  bool finished_ = false;
};

std::optional<std::string> quillbeckAdNetworkCheck::origin(std::string_view text) {
  auto url = base::URL::fromString(text);
  if (!url || !url->isHTTPOrigin()) return std::nullopt;
  std::string origin(text);
  if (origin.ends_with('/')) origin.pop_back();
  return origin;
}

quillbeckAdNetworkCheck::quillbeckAdNetworkCheck(std::string origin, Say say)
    : probe_(std::make_shared<Probe>(std::move(origin), std::move(say))) {}

quillbeckAdNetworkCheck::~quillbeckAdNetworkCheck() {
  if (connection_) connection_->cancel();
}

void quillbeckAdNetworkCheck::start(platform::URLLoadingBackend* loading) {
  if (probe_->origin().empty() || connection_) return;
  auto url = base::URL::fromString(probe_->origin() + std::string(kScriptPath));
  if (!url) return;
  platform::URLRequest request(
      *url, platform::URLRequest::CachePolicy::ReloadIgnoringLocalCacheData, kTimeout);
  connection_ = loading ? loading->makeConnection(request, probe_)
                        : platform::URLConnection::connectionWithRequest(request, probe_);
}

bool quillbeckAdNetworkCheck::finished() const {
  return probe_->finished();
}
