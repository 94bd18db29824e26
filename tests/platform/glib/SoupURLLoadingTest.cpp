// URL loading over libsoup against a real HTTP server on 127.0.0.1. Loads are waited for with a
// generous cap; nothing here depends on how fast they are.

#include "platform/glib/SoupURLLoading.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/URLError.h"
#include "platform/glib/GlibRunLoop.h"
#include "platform/glib/SoupURLConnection.h"
#include "tests/support/LoopbackHTTPServer.h"
#include "tests/support/RefusingPort.h"

namespace platform::glib {
namespace {

using test_support::LoopbackHTTPServer;
using Response = LoopbackHTTPServer::Response;

constexpr double kPatience = 10;  // seconds; only an upper bound for a load to end

// Records what a connection tells it and answers redirects as the test says.
class Recorder : public URLConnectionDelegate {
 public:
  struct Offer {
    URLRequest request;
    std::optional<URLResponse> redirectResponse;
  };

  std::function<std::optional<URLRequest>(const URLRequest&, const URLResponse*)> answerOffer;
  std::function<void(URLConnection&)> onResponse;
  std::function<void(URLConnection&)> onData;

  std::vector<std::string> events;
  std::vector<Offer> offers;
  std::optional<URLResponse> response;
  std::string body;
  size_t pieces = 0;
  std::optional<base::Error> error;

  bool ended() const {
    return !events.empty() && (events.back() == "finish" || events.back() == "fail");
  }

  std::optional<URLRequest> connectionWillSendRequest(URLConnection&, const URLRequest& request,
                                                      const URLResponse* redirect) override {
    events.push_back("willSend");
    offers.push_back({request, redirect ? std::optional(*redirect) : std::nullopt});
    if (answerOffer) return answerOffer(request, redirect);
    return request;
  }
  void connectionDidReceiveResponse(URLConnection& connection, const URLResponse& r) override {
    events.push_back("response");
    response = r;
    if (onResponse) onResponse(connection);
  }
  void connectionDidReceiveData(URLConnection& connection, std::span<const uint8_t> data) override {
    if (events.back() != "data") events.push_back("data");
    body.append(data.begin(), data.end());
    ++pieces;
    if (onData) onData(connection);
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
    std::optional<base::URL> parsed = base::URL::fromString(url);
    EXPECT_TRUE(parsed) << url;
    return URLRequest(parsed ? *parsed : *base::URL::fromString("http://invalid/"));
  }

  std::shared_ptr<URLConnection> start(const URLRequest& request,
                                       const std::shared_ptr<Recorder>& recorder) {
    return loading_.makeConnection(request, recorder);
  }

  // Loads request to its end; false if it did not end in time.
  bool load(const URLRequest& request, const std::shared_ptr<Recorder>& recorder) {
    auto connection = start(request, recorder);
    return loop_.runUntil([&] { return recorder->ended(); }, kPatience);
  }

  bool waitForRequests(size_t count) {
    return loop_.runUntil([&] { return server_.requestCount() >= count; }, kPatience);
  }

  GlibRunLoop loop_;
  SoupURLLoading loading_{loop_.context()};
  LoopbackHTTPServer server_;
};

std::string failingURL(const base::Error& error) {
  const base::Value* value = error.userInfo().find(URLError::kFailingURLStringKey);
  return value && value->asString() ? *value->asString() : std::string();
}

std::string binaryBody(size_t size) {
  std::string body(size, '\0');
  uint32_t state = 12345;
  for (char& byte : body) {
    state = state * 1103515245 + 12345;
    byte = static_cast<char>(state >> 24);
  }
  return body;
}

TEST_F(SoupURLLoadingTest, TheFirstRequestIsAnnouncedOnTheLoopAndItsFieldsGoOnTheWireExactly) {
  server_.route("/file", Response::ok("content"));
  URLRequest request = requestFor(server_.url("/file?unique=1234"));
  request.setValue("Quillbeck/4.1.1 (Linux; test)", "User-Agent");
  request.setValue("Sat, 01 Jan 2000 10:20:30 GMT", "If-Modified-Since");
  request.setValue("a,  b", "X-Spaced");
  request.setValue("identity", "Accept-Encoding");
  auto recorder = std::make_shared<Recorder>();

  auto connection = start(request, recorder);
  EXPECT_TRUE(recorder->events.empty()) << "a delegate call came from within makeConnection";
  ASSERT_TRUE(loop_.runUntil([&] { return recorder->ended(); }, kPatience));

  EXPECT_EQ(recorder->events, (std::vector<std::string>{"willSend", "response", "data", "finish"}));
  ASSERT_EQ(recorder->offers.size(), 1u);
  EXPECT_FALSE(recorder->offers[0].redirectResponse);
  EXPECT_EQ(recorder->offers[0].request.url().absoluteString(), server_.url("/file?unique=1234"));

  std::vector<LoopbackHTTPServer::Request> received = server_.requests();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].method, "GET");
  EXPECT_EQ(received[0].target, "/file?unique=1234");
  EXPECT_EQ(received[0].headerValues("User-Agent"),
            std::vector<std::string>{"Quillbeck/4.1.1 (Linux; test)"});
  EXPECT_EQ(received[0].headerValues("If-Modified-Since"),
            std::vector<std::string>{"Sat, 01 Jan 2000 10:20:30 GMT"});
  EXPECT_EQ(received[0].header("X-Spaced"), "a,  b");
  EXPECT_EQ(received[0].headerValues("Accept-Encoding"), std::vector<std::string>{"identity"});
  EXPECT_EQ(connection->originalRequest().url(), request.url());
}

TEST_F(SoupURLLoadingTest, TheSessionAddsNoUserAgentOfItsOwn) {
  auto recorder = std::make_shared<Recorder>();
  ASSERT_TRUE(load(requestFor(server_.url("/plain")), recorder));
  ASSERT_EQ(server_.requestCount(), 1u);
  EXPECT_FALSE(server_.requests()[0].header("User-Agent"));
}

TEST_F(SoupURLLoadingTest, TheResponseHasItsStatusAndEveryHeaderField) {
  server_.route("/missing", Response::withStatus(404,
                                                 {{"X-Avmo-Refresh-Rate", "30"},
                                                  {"Set-Cookie", "a=1"},
                                                  {"X-Repeated", "first"},
                                                  {"X-Repeated", "second"}},
                                                 "no such page"));
  auto recorder = std::make_shared<Recorder>();
  ASSERT_TRUE(load(requestFor(server_.url("/missing")), recorder));

  ASSERT_TRUE(recorder->response);
  const URLResponse& response = *recorder->response;
  EXPECT_TRUE(response.isHTTP());
  EXPECT_EQ(response.url().absoluteString(), server_.url("/missing"));
  EXPECT_EQ(response.statusCode(), 404);
  EXPECT_EQ(response.allHeaderFields().value("X-Avmo-Refresh-Rate"), "30");
  EXPECT_EQ(response.allHeaderFields().value("Set-Cookie"), "a=1");
  EXPECT_EQ(response.allHeaderFields().value("X-Repeated"), "first, second");
  EXPECT_EQ(response.expectedContentLength(), 12);
  EXPECT_EQ(recorder->body, "no such page");
  EXPECT_EQ(recorder->events.back(), "finish");
}

TEST_F(SoupURLLoadingTest, ALargeBodyComesInPiecesThatReassembleExactly) {
  const std::string content = binaryBody(300 * 1024 + 17);
  server_.route("/large", Response::ok(content));
  auto recorder = std::make_shared<Recorder>();
  ASSERT_TRUE(load(requestFor(server_.url("/large")), recorder));

  EXPECT_EQ(recorder->events.back(), "finish");
  EXPECT_GT(recorder->pieces, 1u);
  EXPECT_EQ(recorder->body.size(), content.size());
  EXPECT_TRUE(recorder->body == content) << "the body differs from what was sent";
}

TEST_F(SoupURLLoadingTest, RedirectsAreOfferedHopByHopWithTheirResponses) {
  server_.route("/start",
                Response::withStatus(301, {{"Location", "next?step=2"}, {"X-Hop", "1"}}, "moved"));
  server_.route("/next",
                Response::withStatus(302, {{"Location", server_.url("/final")}, {"X-Hop", "2"}}));
  server_.route("/final", Response::ok("arrived"));
  URLRequest request = requestFor(server_.url("/start"));
  request.setValue("kept", "X-Kept");
  request.setTimeoutInterval(7);
  request.setHTTPShouldHandleCookies(false);
  auto recorder = std::make_shared<Recorder>();
  auto connection = start(request, recorder);
  ASSERT_TRUE(loop_.runUntil([&] { return recorder->ended(); }, kPatience));

  EXPECT_EQ(recorder->events, (std::vector<std::string>{"willSend", "willSend", "willSend",
                                                        "response", "data", "finish"}));
  ASSERT_EQ(recorder->offers.size(), 3u);
  EXPECT_FALSE(recorder->offers[0].redirectResponse);
  const Recorder::Offer& first = recorder->offers[1];
  EXPECT_EQ(first.request.url().absoluteString(), server_.url("/next?step=2"));
  ASSERT_TRUE(first.redirectResponse);
  EXPECT_EQ(first.redirectResponse->statusCode(), 301);
  EXPECT_EQ(first.redirectResponse->url().absoluteString(), server_.url("/start"));
  EXPECT_EQ(first.redirectResponse->allHeaderFields().value("X-Hop"), "1");
  EXPECT_EQ(first.request.valueForHTTPHeaderField("X-Kept"), "kept");
  EXPECT_EQ(first.request.timeoutInterval(), 7);
  EXPECT_FALSE(first.request.HTTPShouldHandleCookies());
  const Recorder::Offer& second = recorder->offers[2];
  EXPECT_EQ(second.request.url().absoluteString(), server_.url("/final"));
  ASSERT_TRUE(second.redirectResponse);
  EXPECT_EQ(second.redirectResponse->statusCode(), 302);
  EXPECT_EQ(second.redirectResponse->allHeaderFields().value("X-Hop"), "2");

  EXPECT_EQ(recorder->response->statusCode(), 200);
  EXPECT_EQ(recorder->response->url().absoluteString(), server_.url("/final"));
  EXPECT_EQ(recorder->body, "arrived");
  EXPECT_EQ(connection->currentRequest().url().absoluteString(), server_.url("/final"));
  EXPECT_EQ(connection->originalRequest().url().absoluteString(), server_.url("/start"));

  std::vector<LoopbackHTTPServer::Request> received = server_.requests();
  ASSERT_EQ(received.size(), 3u);
  EXPECT_EQ(received[1].target, "/next?step=2");
  for (const auto& hop : received)
    EXPECT_EQ(hop.header("X-Kept"), "kept") << hop.target;
  EXPECT_EQ(server_.acceptedConnectionCount(), 1u) << "the hops did not share a connection";
}

TEST_F(SoupURLLoadingTest, TheDelegatesAnswerIsWhatGoesOut) {
  server_.route("/start", Response::redirect("/proposed"));
  server_.route("/chosen", Response::ok("chosen"));
  auto recorder = std::make_shared<Recorder>();
  recorder->answerOffer = [&](const URLRequest& request, const URLResponse* redirect) {
    URLRequest answer = request;
    answer.setValue(redirect ? "hop" : "first", "X-Answer");
    if (redirect) answer.setURL(*base::URL::fromString(server_.url("/chosen")));
    return std::optional(answer);
  };
  ASSERT_TRUE(load(requestFor(server_.url("/start")), recorder));

  std::vector<LoopbackHTTPServer::Request> received = server_.requests();
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[0].header("X-Answer"), "first");
  EXPECT_EQ(received[1].target, "/chosen");
  EXPECT_EQ(received[1].header("X-Answer"), "hop");
  EXPECT_EQ(recorder->body, "chosen");
}

TEST_F(SoupURLLoadingTest, ADeclinedRedirectIsDeliveredAsTheResponse) {
  server_.route("/moved", Response::withStatus(302, {{"Location", "/elsewhere"}}, "look there"));
  auto recorder = std::make_shared<Recorder>();
  recorder->answerOffer = [](const URLRequest& request, const URLResponse* redirect) {
    return redirect ? std::nullopt : std::optional(request);
  };
  ASSERT_TRUE(load(requestFor(server_.url("/moved")), recorder));

  EXPECT_EQ(recorder->events,
            (std::vector<std::string>{"willSend", "willSend", "response", "data", "finish"}));
  EXPECT_EQ(recorder->response->statusCode(), 302);
  EXPECT_EQ(recorder->response->allHeaderFields().value("Location"), "/elsewhere");
  EXPECT_EQ(recorder->body, "look there");
  EXPECT_EQ(server_.requestCount(), 1u);
}

TEST_F(SoupURLLoadingTest, ARedirectToAnotherSchemeIsOfferedAndFailsAsUnsupportedWhenTaken) {
  server_.route("/click", Response::redirect("itms://x"));
  auto taking = std::make_shared<Recorder>();
  ASSERT_TRUE(load(requestFor(server_.url("/click")), taking));

  ASSERT_EQ(taking->offers.size(), 2u);
  EXPECT_EQ(taking->offers[1].request.url().absoluteString(), "itms://x");
  EXPECT_EQ(taking->events.back(), "fail");
  ASSERT_TRUE(taking->error);
  EXPECT_EQ(taking->error->domain(), URLError::kDomain);
  EXPECT_EQ(taking->error->code(), URLError::UnsupportedURL);
  EXPECT_EQ(failingURL(*taking->error), "itms://x");
  EXPECT_EQ(server_.requestCount(), 1u);
}

TEST_F(SoupURLLoadingTest, ARedirectLoopEndsWithTooManyRedirects) {
  server_.setFallback([](const LoopbackHTTPServer::Request& request) {
    return Response::redirect(request.target + "x");
  });
  auto recorder = std::make_shared<Recorder>();
  ASSERT_TRUE(load(requestFor(server_.url("/loop")), recorder));
  EXPECT_EQ(recorder->events.back(), "fail");
  EXPECT_EQ(recorder->error->code(), URLError::HTTPTooManyRedirects);
  EXPECT_EQ(recorder->offers.size(), 1u + SoupURLConnection::kMostRedirects);
  EXPECT_EQ(server_.requestCount(), 1u + SoupURLConnection::kMostRedirects);
}

TEST_F(SoupURLLoadingTest, RequestsThatCannotGoOutFailWithoutReachingTheServer) {
  auto otherScheme = std::make_shared<Recorder>();
  ASSERT_TRUE(load(requestFor("ftp://127.0.0.1/file"), otherScheme));
  EXPECT_EQ(otherScheme->events, (std::vector<std::string>{"willSend", "fail"}));
  EXPECT_EQ(otherScheme->error->code(), URLError::UnsupportedURL);

  // A line break in a value would end the field and start one of the caller's making.
  URLRequest injected = requestFor(server_.url("/x"));
  injected.setValue("agent\r\nX-Injected: 1", "User-Agent");
  auto malformed = std::make_shared<Recorder>();
  ASSERT_TRUE(load(injected, malformed));
  EXPECT_EQ(malformed->events, (std::vector<std::string>{"willSend", "fail"}));
  EXPECT_EQ(malformed->error->code(), URLError::BadURL);
  EXPECT_EQ(server_.requestCount(), 0u);
}

TEST_F(SoupURLLoadingTest, CookiesGoBackToTheServerOnlyWithRequestsThatHandleThem) {
  server_.route("/set", Response::ok("", {{"Set-Cookie", "session=abc; Path=/"}}));
  server_.route("/set-unasked", Response::ok("", {{"Set-Cookie", "unasked=1; Path=/"}}));
  URLRequest withoutCookies = requestFor(server_.url("/set-unasked"));
  withoutCookies.setHTTPShouldHandleCookies(false);
  ASSERT_TRUE(load(requestFor(server_.url("/set")), std::make_shared<Recorder>()));
  ASSERT_TRUE(load(withoutCookies, std::make_shared<Recorder>()));

  ASSERT_TRUE(load(requestFor(server_.url("/check")), std::make_shared<Recorder>()));
  URLRequest checkWithout = requestFor(server_.url("/check"));
  checkWithout.setHTTPShouldHandleCookies(false);
  ASSERT_TRUE(load(checkWithout, std::make_shared<Recorder>()));

  std::vector<LoopbackHTTPServer::Request> received = server_.requests();
  ASSERT_EQ(received.size(), 4u);
  EXPECT_EQ(received[2].header("Cookie"), "session=abc")
      << "the cookie set with cookies handled came back, the other did not";
  EXPECT_FALSE(received[3].header("Cookie"));
}

TEST_F(SoupURLLoadingTest, SequentialRequestsShareOneConnection) {
  server_.route("/again", Response::ok(binaryBody(5000)));
  server_.route("/unchanged", Response::withStatus(304));
  server_.route("/missing", Response::withStatus(404, {}, "not here"));
  for (int i = 0; i < 3; ++i) {
    auto recorder = std::make_shared<Recorder>();
    ASSERT_TRUE(load(requestFor(server_.url("/again")), recorder));
    ASSERT_EQ(recorder->events.back(), "finish");
  }
  // As a fetcher does once it has the status it needs: cancelled when the answer's head comes,
  // with the body (none, or a short one) already there.
  for (const char* target : {"/unchanged", "/missing", "/unchanged"}) {
    auto recorder = std::make_shared<Recorder>();
    recorder->onResponse = [](URLConnection& connection) { connection.cancel(); };
    auto connection = start(requestFor(server_.url(target)), recorder);
    ASSERT_TRUE(loop_.runUntil([&] { return recorder->response.has_value(); }, kPatience));
  }
  ASSERT_TRUE(load(requestFor(server_.url("/again")), std::make_shared<Recorder>()));

  EXPECT_EQ(server_.requestCount(), 7u);
  EXPECT_EQ(server_.acceptedConnectionCount(), 1u);
}

TEST_F(SoupURLLoadingTest, ARefusedConnectionFailsWithCannotConnectToHost) {
  test_support::RefusingPort refusing;
  ASSERT_NE(refusing.port(), 0);
  auto recorder = std::make_shared<Recorder>();
  ASSERT_TRUE(load(requestFor(refusing.url("/x")), recorder));

  EXPECT_EQ(recorder->events, (std::vector<std::string>{"willSend", "fail"}));
  EXPECT_EQ(recorder->error->domain(), URLError::kDomain);
  EXPECT_EQ(recorder->error->code(), URLError::CannotConnectToHost);
  EXPECT_FALSE(recorder->error->localizedFailureReason().empty());
  EXPECT_EQ(failingURL(*recorder->error), refusing.url("/x"));
}

TEST_F(SoupURLLoadingTest, ASilentServerFailsWithTimedOutAfterTheRequestsTimeout) {
  server_.route("/silent", Response::unanswered());
  server_.route("/stops", Response::cutShort(binaryBody(100000), 1000, false));
  URLRequest silent = requestFor(server_.url("/silent"));
  silent.setTimeoutInterval(1);
  URLRequest stops = requestFor(server_.url("/stops"));
  stops.setTimeoutInterval(1);
  auto beforeHead = std::make_shared<Recorder>();
  auto duringBody = std::make_shared<Recorder>();
  auto first = start(silent, beforeHead);
  auto second = start(stops, duringBody);
  ASSERT_TRUE(
      loop_.runUntil([&] { return beforeHead->ended() && duringBody->ended(); }, kPatience));

  EXPECT_EQ(beforeHead->events, (std::vector<std::string>{"willSend", "fail"}));
  EXPECT_EQ(beforeHead->error->code(), URLError::TimedOut);
  EXPECT_EQ(duringBody->events, (std::vector<std::string>{"willSend", "response", "data", "fail"}));
  EXPECT_EQ(duringBody->error->code(), URLError::TimedOut);
  EXPECT_EQ(duringBody->body.size(), 1000u);
}

TEST_F(SoupURLLoadingTest, TheTimeoutCountsFromTheLatestPieceOfTheBody) {
  // Fifteen pieces 0.2 s apart take three seconds in all, twice the timeout; no gap comes near it.
  const std::string content = binaryBody(15 * 1000);
  server_.route("/trickle", Response::trickle(content, 1000, std::chrono::milliseconds(200)));
  URLRequest request = requestFor(server_.url("/trickle"));
  request.setTimeoutInterval(1.5);
  auto recorder = std::make_shared<Recorder>();
  ASSERT_TRUE(load(request, recorder));
  EXPECT_EQ(recorder->events.back(), "finish");
  EXPECT_TRUE(recorder->body == content);
}

TEST_F(SoupURLLoadingTest, ABodyCutOffByTheServerFailsWithNetworkConnectionLost) {
  server_.route("/cut", Response::cutShort(binaryBody(100000), 1000, true));
  auto recorder = std::make_shared<Recorder>();
  ASSERT_TRUE(load(requestFor(server_.url("/cut")), recorder));
  EXPECT_EQ(recorder->events.front(), "willSend");
  EXPECT_EQ(recorder->events.back(), "fail");
  EXPECT_EQ(recorder->error->code(), URLError::NetworkConnectionLost);
}

TEST_F(SoupURLLoadingTest, ACancelledConnectionSaysNothingMore) {
  server_.route("/large", Response::ok(binaryBody(200 * 1024)));
  auto cancelledAtOnce = std::make_shared<Recorder>();
  auto cancelledInResponse = std::make_shared<Recorder>();
  cancelledInResponse->onResponse = [](URLConnection& connection) {
    connection.cancel();
    connection.cancel();
  };
  auto declinedFirst = std::make_shared<Recorder>();
  declinedFirst->answerOffer = [](const URLRequest&, const URLResponse*) {
    return std::optional<URLRequest>();
  };
  auto control = std::make_shared<Recorder>();
  auto atOnce = start(requestFor(server_.url("/large")), cancelledAtOnce);
  atOnce->cancel();
  auto declined = start(requestFor(server_.url("/large")), declinedFirst);
  auto connection = start(requestFor(server_.url("/large")), cancelledInResponse);
  ASSERT_TRUE(loop_.runUntil([&] { return cancelledInResponse->response.has_value(); }, kPatience));
  // A load started afterwards on the same loop has come to its end: the others had their chance.
  ASSERT_TRUE(load(requestFor(server_.url("/large")), control));
  loop_.runFor(0.1);

  EXPECT_TRUE(cancelledAtOnce->events.empty());
  EXPECT_EQ(declinedFirst->events, std::vector<std::string>{"willSend"});
  EXPECT_EQ(server_.requestCount(), 2u) << "only the load cancelled later and the control went out";
  EXPECT_EQ(cancelledInResponse->events, (std::vector<std::string>{"willSend", "response"}));
  connection->cancel();
  EXPECT_EQ(control->events.back(), "finish");
}

// Owns its connection, as the library's fetchers do, and lets it go from within a callback.
class OwningRecorder : public Recorder {
 public:
  std::shared_ptr<URLConnection> connection;
};

TEST_F(SoupURLLoadingTest, ADelegateOrBackendThatGoesMidLoadIsToldNothingAndNothingBreaks) {
  server_.route("/slow", Response::cutShort(binaryBody(100000), 40000, false));
  auto letGo = std::make_shared<OwningRecorder>();
  letGo->connection = start(requestFor(server_.url("/slow")), letGo);
  letGo->onData = [&](URLConnection&) { letGo->connection.reset(); };

  auto destroyed = std::make_shared<Recorder>();
  auto orphan = start(requestFor(server_.url("/slow")), destroyed);
  std::weak_ptr<Recorder> watch = destroyed;
  destroyed->onResponse = [&](URLConnection&) { destroyed.reset(); };

  // Silent, with a short timeout: only the backend's going keeps it from failing.
  server_.route("/silent", Response::unanswered());
  URLRequest silent = requestFor(server_.url("/silent"));
  silent.setTimeoutInterval(1);
  auto otherLoading = std::make_unique<SoupURLLoading>(loop_.context());
  auto outlived = std::make_shared<Recorder>();
  auto outlivedConnection = otherLoading->makeConnection(silent, outlived);

  ASSERT_TRUE(loop_.runUntil([&] { return !letGo->connection && !destroyed; }, kPatience));
  ASSERT_TRUE(waitForRequests(3));
  otherLoading.reset();
  // Started later with the same timeout, so the outlived load would have timed out before it.
  auto control = std::make_shared<Recorder>();
  ASSERT_TRUE(load(silent, control));
  EXPECT_EQ(control->error->code(), URLError::TimedOut);

  EXPECT_EQ(letGo->events, (std::vector<std::string>{"willSend", "response", "data"}));
  EXPECT_EQ(letGo->pieces, 1u);
  EXPECT_TRUE(watch.expired());
  EXPECT_EQ(outlived->events, (std::vector<std::string>{"willSend"}));
  // Each load, stalled by the server, was stopped by the client, which closed its connection.
  EXPECT_TRUE(loop_.runUntil(
      [&] { return server_.closedConnectionCount() == server_.acceptedConnectionCount(); },
      kPatience));
  EXPECT_EQ(server_.acceptedConnectionCount(), 4u);
}

}  // namespace
}  // namespace platform::glib
