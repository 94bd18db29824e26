// Feeds arbitrary answers of a server through the simulated connection, which applies the rules
// every backend shares: header fields joined by name, "Content-Length" read, a redirect's
// "Location" resolved against the URL that was asked for and followed within the limit. Nothing
// may fault, and what the delegate hears must keep the connection's contract.
//
// Input: an answer as it comes on the wire — a status line, header lines (a line that starts
// with a space or tab continues the one before, as an old server may fold it), a blank line and
// the body. Every request is answered with it, so a redirect leads back to the same answer.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/net/URLConnection.h"
#include "platform/sim/SimRunLoop.h"
#include "platform/sim/SimURLLoading.h"

namespace {

using platform::URLConnection;
using platform::URLRequest;
using platform::URLResponse;
using scriptedhttp::ScriptedReply;

void require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
    text.remove_suffix(1);
  return text;
}

// The answer in input, read as a client reads the wire.
ScriptedReply replyFrom(std::string_view input) {
  ScriptedReply reply;
  size_t headEnd = input.find("\n\n");
  std::string_view head = input.substr(0, headEnd);
  reply.body = headEnd == std::string_view::npos ? "" : std::string(input.substr(headEnd + 2));
  size_t lineEnd = head.find('\n');
  std::string_view statusLine = head.substr(0, lineEnd);
  reply.status = 200;
  if (statusLine.size() >= 3) {
    int status = 0;
    for (char c : statusLine.substr(0, 3))
      status = status * 10 + (static_cast<unsigned char>(c) % 10);
    reply.status = 100 + status % 500;
  }
  while (lineEnd != std::string_view::npos) {
    head.remove_prefix(lineEnd + 1);
    lineEnd = head.find('\n');
    std::string_view line = head.substr(0, lineEnd);
    if (!line.empty() && (line.front() == ' ' || line.front() == '\t') && !reply.headers.empty()) {
      reply.headers.back().second.append(" ").append(trimmed(line));
      continue;
    }
    size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0) continue;
    reply.headers.emplace_back(trimmed(line.substr(0, colon)), trimmed(line.substr(colon + 1)));
  }
  return reply;
}

// The decimal digits of text without leading zeros, or empty if text is not all digits.
std::string digitsValue(std::string_view text) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) return {};
  size_t first = text.find_first_not_of('0');
  return first == std::string_view::npos ? "0" : std::string(text.substr(first));
}

class Checker : public platform::URLConnectionDelegate {
 public:
  explicit Checker(const ScriptedReply& reply) : reply_(reply) {}

  std::optional<URLRequest> connectionWillSendRequest(URLConnection&, const URLRequest& request,
                                                      const URLResponse* redirect) override {
    require(!ended_ && !responded_, "a request offered after the response or the end");
    if (redirect) {
      ++redirects_;
      require(redirects_ <= URLConnection::kMaxRedirects, "more redirects offered than allowed");
      std::optional<base::URL> target = URLConnection::redirectTarget(*redirect);
      require(target.has_value(), "a redirect offered without a target");
      require(target->absoluteString() == request.url().absoluteString(),
              "the offered request does not go where the redirect leads");
      require(base::URL::fromString(target->absoluteString()).has_value(),
              "a resolved location does not read back as a URL");
    }
    return request;
  }
  void connectionDidReceiveResponse(URLConnection&, const URLResponse& response) override {
    require(!ended_ && !responded_, "a second response");
    responded_ = true;
    require(response.statusCode() == reply_.status, "the status changed on the way");
    for (const auto& [name, value] : reply_.headers) {
      std::optional<std::string> joined = response.allHeaderFields().value(name);
      require(joined.has_value(), "a header field went missing");
      require(joined->find(value) != std::string::npos, "a field's value was lost in joining");
    }
    int64_t length = response.expectedContentLength();
    std::optional<std::string> given = response.allHeaderFields().value("Content-Length");
    require(length >= -1, "a negative content length");
    require(length == -1 || (given && digitsValue(*given) == std::to_string(length)),
            "a content length that is not the field's digits");
  }
  void connectionDidReceiveData(URLConnection&, std::span<const uint8_t> data) override {
    require(responded_ && !ended_, "data outside a response");
    body_.append(data.begin(), data.end());
  }
  void connectionDidFinishLoading(URLConnection&) override {
    require(responded_ && !ended_, "finished without a response, or twice");
    require(body_ == reply_.body, "the body changed on the way");
    ended_ = true;
  }
  void connectionDidFailWithError(URLConnection&, const base::Error& error) override {
    require(!ended_, "failed after the end");
    require(error.code() == platform::URLError::HTTPTooManyRedirects ||
                error.code() == platform::URLError::UnsupportedURL,
            "an unexpected failure");
    ended_ = true;
  }
  bool ended() const { return ended_; }

 private:
  const ScriptedReply& reply_;
  std::string body_;
  int redirects_ = 0;
  bool responded_ = false;
  bool ended_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 64 * 1024) return 0;
  const ScriptedReply reply =
      replyFrom(std::string_view(reinterpret_cast<const char*>(data), size));
  auto loop = std::make_shared<platform::sim::SimRunLoop>();
  platform::sim::SimURLLoading loading(loop);
  loading.setFallback([&](const URLRequest&) { return reply; });
  auto checker = std::make_shared<Checker>(reply);
  auto connection = loading.makeConnection(
      URLRequest(*base::URL::fromString("http://server.example/a/b?c=d")), checker);
  loop->runUntilIdle();
  require(checker->ended(), "the load never ended");
  return 0;
}
