// What only the libsoup connection does, against a real HTTP server on 127.0.0.1: the session's
// own ways (cookies, reused connections, no added fields), bodies as they come off a socket, and
// errors of a real network. What every connection does is in URLLoadingBehaviourTest.

#include "platform/glib/SoupURLLoading.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/URLError.h"
#include "platform/glib/GlibRunLoop.h"
#include "tests/support/LoopbackHTTPServer.h"
#include "tests/support/RefusingPort.h"

namespace platform::glib {
namespace {

using test_support::LoopbackHTTPServer;
using Response = LoopbackHTTPServer::Response;

constexpr double kPatience = 10;  // seconds; only an upper bound for a load to end

class Recorder : public URLConnectionDelegate {
 public:
  std::vector<std::string> events;
  std::string body;
  size_t pieces = 0;
  std::optional<base::Error> error;
  std::function<void(URLConnection&)> onResponse;

  bool ended() const { return !events.empty() && events.back() != "response"; }

  void connectionDidReceiveResponse(URLConnection& connection, const URLResponse&) override {
    events.push_back("response");
    if (onResponse) onResponse(connection);
  }
  void connectionDidReceiveData(URLConnection&, std::span<const uint8_t> data) override {
    body.append(data.begin(), data.end());
    ++pieces;
  }
  void connectionDidFinishLoading(URLConnection&) override { events.push_back("finish"); }
  void connectionDidFailWithError(URLConnection&, const base::Error& e) override {
    events.push_back("fail");
    error = e;
  }
};

class SoupURLLoadingTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(server_.port(), 0) << server_.problem(); }

  static URLRequest requestFor(const std::string& url) {
    return URLRequest(*base::URL::fromString(url));
  }
  std::shared_ptr<Recorder> load(const URLRequest& request,
                                 std::shared_ptr<Recorder> recorder = nullptr) {
    if (!recorder) recorder = std::make_shared<Recorder>();
    auto connection = loading_.makeConnection(request, recorder);
    EXPECT_TRUE(loop_->runUntil([&] { return recorder->ended(); }, kPatience));
    return recorder;
  }

  std::shared_ptr<GlibRunLoop> loop_ = std::make_shared<GlibRunLoop>();
  SoupURLLoading loading_{loop_};
  LoopbackHTTPServer server_;
};

std::string binaryBody(size_t size) {
  std::string body(size, '\0');
  uint32_t state = 12345;
  for (char& byte : body) {
    state = state * 1103515245 + 12345;
    byte = static_cast<char>(state >> 24);
  }
  return body;
}

TEST_F(SoupURLLoadingTest, TheSessionAddsNoUserAgentOfItsOwnAndLeavesTheRequestsFieldsAlone) {
  load(requestFor(server_.url("/plain")));
  URLRequest given = requestFor(server_.url("/given"));
  given.setValue("identity", "Accept-Encoding");
  load(given);
  ASSERT_EQ(server_.requestCount(), 2u);
  EXPECT_FALSE(server_.requests()[0].header("User-Agent"));
  EXPECT_EQ(server_.requests()[1].headerValues("Accept-Encoding"),
            std::vector<std::string>{"identity"});
}

TEST_F(SoupURLLoadingTest, ALargeBodyComesInPiecesThatReassembleExactly) {
  const std::string content = binaryBody(300 * 1024 + 17);
  server_.route("/large", Response::ok(content));
  auto recorder = load(requestFor(server_.url("/large")));
  EXPECT_EQ(recorder->events.back(), "finish");
  EXPECT_GT(recorder->pieces, 1u);
  EXPECT_TRUE(recorder->body == content) << "the body differs from what was sent";
}

TEST_F(SoupURLLoadingTest, CookiesGoBackToTheServerOnlyWithRequestsThatHandleThem) {
  server_.route("/set", Response::ok("", {{"Set-Cookie", "session=abc; Path=/"}}));
  server_.route("/set-unasked", Response::ok("", {{"Set-Cookie", "unasked=1; Path=/"}}));
  URLRequest withoutCookies = requestFor(server_.url("/set-unasked"));
  withoutCookies.setHTTPShouldHandleCookies(false);
  load(requestFor(server_.url("/set")));
  load(withoutCookies);
  load(requestFor(server_.url("/check")));
  URLRequest checkWithout = requestFor(server_.url("/check"));
  checkWithout.setHTTPShouldHandleCookies(false);
  load(checkWithout);

  std::vector<LoopbackHTTPServer::Request> received = server_.requests();
  ASSERT_EQ(received.size(), 4u);
  EXPECT_EQ(received[2].header("Cookie"), "session=abc")
      << "the cookie set with cookies handled came back, the other did not";
  EXPECT_FALSE(received[3].header("Cookie"));
}

TEST_F(SoupURLLoadingTest, RequestsRedirectHopsAndCancelledShortAnswersShareOneConnection) {
  server_.route("/again", Response::ok(binaryBody(5000)));
  server_.route("/moved", Response::withStatus(302, {{"Location", "/again"}}, "moved"));
  server_.route("/unchanged", Response::withStatus(304));
  server_.route("/missing", Response::withStatus(404, {}, "not here"));
  load(requestFor(server_.url("/again")));
  load(requestFor(server_.url("/moved")));
  // As a fetcher does once it has the status it needs: cancelled when the answer's head comes,
  // with the body (none, or a short one) already there.
  for (const char* target : {"/unchanged", "/missing", "/unchanged"}) {
    auto recorder = std::make_shared<Recorder>();
    recorder->onResponse = [](URLConnection& connection) { connection.cancel(); };
    auto connection = loading_.makeConnection(requestFor(server_.url(target)), recorder);
    ASSERT_TRUE(loop_->runUntil([&] { return !recorder->events.empty(); }, kPatience));
  }
  auto last = load(requestFor(server_.url("/again")));
  EXPECT_EQ(last->events.back(), "finish");
  EXPECT_EQ(server_.requestCount(), 7u);
  EXPECT_EQ(server_.acceptedConnectionCount(), 1u);
}

TEST_F(SoupURLLoadingTest, ARefusedConnectionFailsWithCannotConnectToHost) {
  test_support::RefusingPort refusing;
  ASSERT_NE(refusing.port(), 0);
  auto recorder = load(requestFor(refusing.url("/x")));
  ASSERT_TRUE(recorder->error);
  EXPECT_EQ(recorder->error->code(), URLError::CannotConnectToHost);
  EXPECT_FALSE(recorder->error->localizedFailureReason().empty());
}

TEST_F(SoupURLLoadingTest, TheBackendGoingStopsItsLoadsAndClosesTheirConnections) {
  // Silent, with a short timeout: only the backend's going keeps it from failing.
  server_.route("/silent", Response::unanswered());
  server_.route("/stalls", Response::cutShort(binaryBody(100000), 40000, false));
  URLRequest silent = requestFor(server_.url("/silent"));
  silent.setTimeoutInterval(1);
  auto otherLoading = std::make_unique<SoupURLLoading>(loop_);
  auto outlived = std::make_shared<Recorder>();
  auto stalled = std::make_shared<Recorder>();
  auto silentConnection = otherLoading->makeConnection(silent, outlived);
  auto stalledConnection =
      otherLoading->makeConnection(requestFor(server_.url("/stalls")), stalled);
  ASSERT_TRUE(loop_->runUntil([&] { return server_.requestCount() == 2 && stalled->pieces > 0; },
                              kPatience));
  otherLoading.reset();
  // Started later with the same timeout, so the outlived load would have timed out before it.
  auto control = load(silent);
  EXPECT_EQ(control->error->code(), URLError::TimedOut);

  EXPECT_TRUE(outlived->events.empty());
  EXPECT_EQ(stalled->events, (std::vector<std::string>{"response"}));
  // Each load, stalled by the server, was stopped by the client, which closed its connection.
  EXPECT_TRUE(loop_->runUntil(
      [&] { return server_.closedConnectionCount() == server_.acceptedConnectionCount(); },
      kPatience));
  EXPECT_EQ(server_.acceptedConnectionCount(), 3u);
}

}  // namespace
}  // namespace platform::glib
