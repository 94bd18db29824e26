// What every URL connection must do, whichever backend makes it: one typed suite run against the
// simulated loading (virtual time, scripted server) and libsoup against a real server on
// 127.0.0.1. Both serve the same ScriptedReply; loads are waited for, never timed. At the end,
// what only the libsoup connection does.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/glib/GlibRunLoop.h"
#include "platform/glib/SoupURLLoading.h"
#include "platform/net/URLConnection.h"
#include "platform/net/URLError.h"
#include "platform/sim/SimRunLoop.h"
#include "platform/sim/SimURLLoading.h"
#include "tests/support/LoopbackHTTPServer.h"
#include "tests/support/RefusingPort.h"

namespace platform {
namespace {

using Reply = scriptedhttp::ScriptedReply;
using Target = std::function<Reply(const std::string& target)>;

// Routes by path, as the loopback server does.
struct SimDriver {
  std::shared_ptr<sim::SimRunLoop> loop = std::make_shared<sim::SimRunLoop>();
  sim::SimURLLoading loading{loop};
  std::map<std::string, Reply> routes;
  Target fallback = [](const std::string&) { return Reply::withStatus(404); };

  SimDriver() {
    loading.setFallback([this](const URLRequest& request) {
      auto found = routes.find(request.url().path());
      if (found != routes.end()) return found->second;
      return fallback(request.url().absoluteString().substr(kOrigin.size()));
    });
  }
  static constexpr std::string_view kOrigin = "http://server.test";
  std::string url(std::string_view target) const { return std::string(kOrigin).append(target); }
  void route(const std::string& path, Reply reply) { routes[path] = std::move(reply); }
  void setFallback(Target answer) { fallback = std::move(answer); }
  URLLoadingBackend& backend() { return loading; }
  bool runUntil(const std::function<bool()>& done) { return loop->advanceUntil(done, 1e6); }
  size_t requestCount() const { return loading.sentRequests().size(); }
  std::string sentURL(size_t i) const {
    return loading.sentRequests().at(i).url().absoluteString();
  }
  std::optional<std::string> sentHeader(size_t i, std::string_view name) const {
    return loading.sentRequests().at(i).valueForHTTPHeaderField(name);
  }
};

struct SoupDriver {
  std::shared_ptr<glib::GlibRunLoop> loop = std::make_shared<glib::GlibRunLoop>();
  glib::SoupURLLoading loading{loop};
  test_support::LoopbackHTTPServer server;

  std::string url(std::string_view target) const { return server.url(target); }
  void route(const std::string& path, Reply reply) { server.route(path, std::move(reply)); }
  void setFallback(Target answer) {
    server.setFallback([answer](const auto& request) { return answer(request.target); });
  }
  URLLoadingBackend& backend() { return loading; }
  bool runUntil(const std::function<bool()>& done) { return loop->runUntil(done, 10); }
  size_t requestCount() const { return server.requestCount(); }
  std::string sentURL(size_t i) const { return url(server.requests().at(i).target); }
  std::optional<std::string> sentHeader(size_t i, std::string_view name) const {
    return server.requests().at(i).header(name);
  }
};

// Writes down what a connection tells it and answers as the test says.
class Recorder : public URLConnectionDelegate {
 public:
  std::vector<std::string> events;
  std::vector<URLRequest> offers;
  std::vector<URLResponse> redirects;
  std::optional<URLResponse> response;
  std::string body;
  size_t pieces = 0;
  std::optional<base::Error> error;
  std::function<std::optional<URLRequest>(const URLRequest&, const URLResponse*)> answer;
  std::function<void(URLConnection&)> onSend;
  std::function<void(URLConnection&)> onResponse;
  std::function<void(URLConnection&)> onData;

  bool ended() const {
    return !events.empty() && (events.back() == "finish" || events.back() == "fail");
  }
  int64_t errorCode() const { return error ? error->code() : 0; }

  std::optional<URLRequest> connectionWillSendRequest(URLConnection& c, const URLRequest& request,
                                                      const URLResponse* redirect) override {
    events.push_back("send");
    offers.push_back(request);
    if (redirect) redirects.push_back(*redirect);
    if (onSend) onSend(c);
    return answer ? answer(request, redirect) : request;
  }
  void connectionDidReceiveResponse(URLConnection& c, const URLResponse& r) override {
    events.push_back("response");
    response = r;
    if (onResponse) onResponse(c);
  }
  void connectionDidReceiveData(URLConnection& c, std::span<const uint8_t> data) override {
    if (events.back() != "data") events.push_back("data");
    body.append(data.begin(), data.end());
    ++pieces;
    if (onData) onData(c);
  }
  void connectionDidFinishLoading(URLConnection&) override { events.push_back("finish"); }
  void connectionDidFailWithError(URLConnection&, const base::Error& e) override {
    events.push_back("fail");
    error = e;
  }
};

using Lines = std::vector<std::string>;

template <typename Driver>
class URLLoadingBehaviourTest : public ::testing::Test {
 protected:
  URLRequest request(std::string_view target, double timeout = 10) {
    return URLRequest(*base::URL::fromString(d.url(target)),
                      URLRequest::CachePolicy::UseProtocolCachePolicy, timeout);
  }
  std::shared_ptr<URLConnection> start(const URLRequest& r, const std::shared_ptr<Recorder>& to) {
    return d.backend().makeConnection(r, to);
  }
  // Loads r to its end with a recorder of its own.
  std::shared_ptr<Recorder> load(const URLRequest& r, std::shared_ptr<Recorder> to = nullptr) {
    if (!to) to = std::make_shared<Recorder>();
    auto connection = start(r, to);
    EXPECT_TRUE(d.runUntil([&] { return to->ended(); })) << r.url().absoluteString();
    return to;
  }

  Driver d;
};

using Drivers = ::testing::Types<SimDriver, SoupDriver>;
TYPED_TEST_SUITE(URLLoadingBehaviourTest, Drivers);

TYPED_TEST(URLLoadingBehaviourTest, AnswersOnALaterPassInTheContractsOrderWithTheFieldsAsGiven) {
  this->d.route("/file",
                Reply::withStatus(
                    404, {{"X-Refresh", "30"}, {"X-Repeated", "first"}, {"X-Repeated", "second"}},
                    "no such page"));
  URLRequest request = this->request("/file?unique=1234");
  request.setValue("Quillbeck/1.0 (Linux; test)", "User-Agent");
  request.setValue("a,  b", "X-Spaced");
  auto recorder = std::make_shared<Recorder>();
  auto connection = this->start(request, recorder);
  EXPECT_TRUE(recorder->events.empty()) << "a delegate call came from within makeConnection";
  ASSERT_TRUE(this->d.runUntil([&] { return recorder->ended(); }));

  EXPECT_EQ(recorder->events, (Lines{"send", "response", "data", "finish"}));
  ASSERT_EQ(this->d.requestCount(), 1u);
  EXPECT_EQ(this->d.sentURL(0), this->d.url("/file?unique=1234"));
  EXPECT_EQ(this->d.sentHeader(0, "user-agent"), "Quillbeck/1.0 (Linux; test)");
  EXPECT_EQ(this->d.sentHeader(0, "X-Spaced"), "a,  b");
  const URLResponse& response = *recorder->response;
  EXPECT_EQ(response.url().absoluteString(), this->d.url("/file?unique=1234"));
  EXPECT_EQ(response.statusCode(), 404);
  EXPECT_EQ(response.allHeaderFields().value("x-refresh"), "30");
  EXPECT_EQ(response.allHeaderFields().value("X-Repeated"), "first, second");
  EXPECT_EQ(response.expectedContentLength(), 12);
  EXPECT_EQ(recorder->body, "no such page");
}

TYPED_TEST(URLLoadingBehaviourTest, OffersRedirectsHopByHopKeepingTheRequestsSettings) {
  this->d.route("/x/a", Reply::withStatus(301, {{"Location", "../y/b?q=1"}, {"X-Hop", "1"}}));
  this->d.route("/y/b", Reply::redirect(this->d.url("/final"), 307));
  this->d.route("/final", Reply::ok("arrived"));
  URLRequest first = this->request("/x/a", 7);
  first.setValue("kept", "X-Kept");
  first.setHTTPShouldHandleCookies(false);
  auto recorder = std::make_shared<Recorder>();
  auto connection = this->start(first, recorder);
  ASSERT_TRUE(this->d.runUntil([&] { return recorder->ended(); }));

  EXPECT_EQ(recorder->events, (Lines{"send", "send", "send", "response", "data", "finish"}));
  ASSERT_EQ(recorder->redirects.size(), 2u);
  EXPECT_EQ(recorder->redirects[0].statusCode(), 301);
  EXPECT_EQ(recorder->redirects[0].url().absoluteString(), this->d.url("/x/a"));
  EXPECT_EQ(recorder->redirects[0].allHeaderFields().value("X-Hop"), "1");
  EXPECT_EQ(recorder->redirects[1].statusCode(), 307);
  EXPECT_EQ(recorder->offers[1].url().absoluteString(), this->d.url("/y/b?q=1"));
  for (const URLRequest& offer : recorder->offers) {
    EXPECT_EQ(offer.valueForHTTPHeaderField("X-Kept"), "kept");
    EXPECT_EQ(offer.timeoutInterval(), 7);
    EXPECT_FALSE(offer.HTTPShouldHandleCookies());
  }
  ASSERT_EQ(this->d.requestCount(), 3u);
  for (size_t i = 0; i < 3; ++i)
    EXPECT_EQ(this->d.sentHeader(i, "X-Kept"), "kept");
  EXPECT_EQ(recorder->response->url().absoluteString(), this->d.url("/final"));
  EXPECT_EQ(recorder->body, "arrived");
  EXPECT_EQ(connection->originalRequest().url().absoluteString(), this->d.url("/x/a"));
  EXPECT_EQ(connection->currentRequest().url().absoluteString(), this->d.url("/final"));
}

TYPED_TEST(URLLoadingBehaviourTest, TheDelegatesAnswerIsWhatGoesOut) {
  this->d.route("/start", Reply::redirect("/proposed"));
  this->d.route("/chosen", Reply::ok("chosen"));
  auto recorder = std::make_shared<Recorder>();
  recorder->answer = [&](const URLRequest& proposed, const URLResponse* redirect) {
    URLRequest answer = proposed;
    answer.setValue(redirect ? "hop" : "first", "X-Answer");
    if (redirect) answer.setURL(*base::URL::fromString(this->d.url("/chosen")));
    return std::optional(answer);
  };
  this->load(this->request("/start"), recorder);
  ASSERT_EQ(this->d.requestCount(), 2u);
  EXPECT_EQ(this->d.sentHeader(0, "X-Answer"), "first");
  EXPECT_EQ(this->d.sentURL(1), this->d.url("/chosen"));
  EXPECT_EQ(this->d.sentHeader(1, "X-Answer"), "hop");
  EXPECT_EQ(recorder->body, "chosen");
}

TYPED_TEST(URLLoadingBehaviourTest, WhatIsNotAFollowedRedirectIsTheResponse) {
  // The answer, whether the delegate declines its redirect, and the status that ends the load.
  const std::tuple<Reply, bool, int> cases[] = {
      {Reply::withStatus(302, {{"Location", "/elsewhere"}}, "look there"), true, 302},
      {Reply::withStatus(304, {{"Location", "/elsewhere"}}), false, 304},
      {Reply::withStatus(303, {}, "no location"), false, 303},
      {Reply::withStatus(200, {{"Location", "/elsewhere"}}, "fine"), false, 200},
  };
  for (const auto& [reply, decline, status] : cases) {
    this->d.route("/moved", reply);
    auto recorder = std::make_shared<Recorder>();
    if (decline) {
      recorder->answer = [](const URLRequest& r, const URLResponse* redirect) {
        return redirect ? std::nullopt : std::optional(r);
      };
    }
    size_t before = this->d.requestCount();
    this->load(this->request("/moved"), recorder);
    EXPECT_EQ(recorder->events.back(), "finish") << status;
    ASSERT_TRUE(recorder->response) << status;
    EXPECT_EQ(recorder->response->statusCode(), status);
    EXPECT_EQ(recorder->body, reply.body) << status;
    EXPECT_EQ(this->d.requestCount(), before + 1) << status;
  }
}

TYPED_TEST(URLLoadingBehaviourTest, RequestsThatMayNotGoOutFailWithoutReachingTheServer) {
  this->d.route("/click", Reply::redirect("itms://x"));
  auto redirected = this->load(this->request("/click"));
  EXPECT_EQ(redirected->offers.back().url().absoluteString(), "itms://x");
  EXPECT_EQ(redirected->errorCode(), URLError::UnsupportedURL);
  EXPECT_EQ(redirected->error->domain(), URLError::kDomain);
  EXPECT_EQ(*redirected->error->userInfo().find(URLError::kFailingURLStringKey)->asString(),
            "itms://x");

  auto otherScheme = this->load(URLRequest(*base::URL::fromString("ftp://127.0.0.1/file")));
  EXPECT_EQ(otherScheme->events, (Lines{"send", "fail"}));
  EXPECT_EQ(otherScheme->errorCode(), URLError::UnsupportedURL);

  // A line break in a value would end the field and start one of the caller's making.
  URLRequest injected = this->request("/x");
  injected.setValue("agent\r\nX-Injected: 1", "User-Agent");
  auto malformed = this->load(injected);
  EXPECT_EQ(malformed->events, (Lines{"send", "fail"}));
  EXPECT_EQ(malformed->errorCode(), URLError::BadURL);
  EXPECT_EQ(this->d.requestCount(), 1u);
}

TYPED_TEST(URLLoadingBehaviourTest, ARedirectLoopEndsWithTooManyRedirects) {
  this->d.setFallback([](const std::string& target) { return Reply::redirect(target + "x"); });
  auto recorder = this->load(this->request("/loop"));
  EXPECT_EQ(recorder->errorCode(), URLError::HTTPTooManyRedirects);
  EXPECT_EQ(recorder->offers.size(), 1u + URLConnection::kMaxRedirects);
  EXPECT_EQ(this->d.requestCount(), 1u + URLConnection::kMaxRedirects);
}

TYPED_TEST(URLLoadingBehaviourTest, AServerThatFallsSilentOrHangsUpFails) {
  this->d.route("/silent", Reply::unanswered());
  this->d.route("/stalls", Reply::cutShort(std::string(5000, 'a'), 1000, false));
  this->d.route("/cut", Reply::cutShort(std::string(5000, 'a'), 1000, true));
  this->d.route("/trickle", Reply::ok(std::string(1500, 'a')).inPieces(100, 0.1));
  // Two at a time: a session may keep no more connections to one server.
  auto loadTogether = [this](const URLRequest& first, const URLRequest& second) {
    auto a = std::make_shared<Recorder>();
    auto b = std::make_shared<Recorder>();
    std::vector connections{this->start(first, a), this->start(second, b)};
    EXPECT_TRUE(this->d.runUntil([&] { return a->ended() && b->ended(); }));
    return std::pair(a, b);
  };
  auto [silent, stalls] = loadTogether(this->request("/silent", 1), this->request("/stalls", 1));
  // The trickle takes longer than its timeout in all, but no gap comes near it.
  auto [cut, trickle] = loadTogether(this->request("/cut", 1), this->request("/trickle", 1));

  EXPECT_EQ(silent->events, (Lines{"send", "fail"}));
  EXPECT_EQ(silent->errorCode(), URLError::TimedOut);
  EXPECT_EQ(stalls->events, (Lines{"send", "response", "data", "fail"}));
  EXPECT_EQ(stalls->errorCode(), URLError::TimedOut);
  EXPECT_EQ(stalls->body.size(), 1000u);
  EXPECT_EQ(cut->events.back(), "fail");
  EXPECT_EQ(cut->errorCode(), URLError::NetworkConnectionLost);
  EXPECT_EQ(trickle->events.back(), "finish");
  EXPECT_EQ(trickle->body.size(), 1500u);
}

TYPED_TEST(URLLoadingBehaviourTest, ACancelledOrDeclinedConnectionSaysNothingMore) {
  this->d.route("/large", Reply::ok(std::string(200 * 1024, 'a')).inPieces(32 * 1024, 0.01));
  auto atOnce = std::make_shared<Recorder>();
  auto declined = std::make_shared<Recorder>();
  declined->answer = [](const URLRequest&, const URLResponse*) { return std::nullopt; };
  auto inSend = std::make_shared<Recorder>();
  inSend->onSend = [](URLConnection& c) { c.cancel(); };
  auto inResponse = std::make_shared<Recorder>();
  inResponse->onResponse = [](URLConnection& c) {
    c.cancel();
    c.cancel();
  };
  auto inData = std::make_shared<Recorder>();
  std::shared_ptr<URLConnection> owned;
  inData->onData = [&](URLConnection& c) {
    c.cancel();
    owned.reset();  // the delegate lets go of the connection inside its own callback
  };
  auto gone = std::make_shared<Recorder>();
  gone->onResponse = [&](URLConnection&) { gone.reset(); };
  std::weak_ptr<Recorder> goneWatch = gone;

  this->start(this->request("/large"), atOnce)->cancel();
  std::vector connections{
      this->start(this->request("/large"), declined), this->start(this->request("/large"), inSend),
      this->start(this->request("/large"), inResponse), this->start(this->request("/large"), gone)};
  owned = this->start(this->request("/large"), inData);
  ASSERT_TRUE(this->d.runUntil([&] { return inResponse->response && !owned && !gone; }));
  // A load started afterwards has come to its end: the others had every chance to speak.
  auto control = this->load(this->request("/large"));
  EXPECT_EQ(control->events.back(), "finish");

  EXPECT_TRUE(atOnce->events.empty());
  EXPECT_EQ(declined->events, (Lines{"send"}));
  EXPECT_EQ(inSend->events, (Lines{"send"}));
  EXPECT_EQ(inResponse->events, (Lines{"send", "response"}));
  EXPECT_EQ(inData->events, (Lines{"send", "response", "data"}));
  EXPECT_EQ(inData->pieces, 1u);
  EXPECT_TRUE(goneWatch.expired());
  EXPECT_EQ(this->d.requestCount(), 4u) << "only the loads cancelled later and the control";
}

// ---- What only libsoup does: the session's own ways (cookies, reused connections, no added
// fields), bodies as they come off a socket, errors of a real network, and the backend's going.

class SoupURLLoadingTest : public URLLoadingBehaviourTest<SoupDriver> {
 protected:
  test_support::LoopbackHTTPServer& server() { return d.server; }
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
  load(request("/plain"));
  URLRequest given = request("/given");
  given.setValue("identity", "Accept-Encoding");
  load(given);
  ASSERT_EQ(server().requestCount(), 2u);
  EXPECT_FALSE(server().requests()[0].header("User-Agent"));
  EXPECT_EQ(server().requests()[1].headerValues("Accept-Encoding"), Lines{"identity"});
}

TEST_F(SoupURLLoadingTest, ALargeBodyComesInPiecesThatReassembleExactly) {
  const std::string content = binaryBody(300 * 1024 + 17);
  d.route("/large", Reply::ok(content));
  auto recorder = load(request("/large"));
  EXPECT_EQ(recorder->events.back(), "finish");
  EXPECT_GT(recorder->pieces, 1u);
  EXPECT_TRUE(recorder->body == content) << "the body differs from what was sent";
}

TEST_F(SoupURLLoadingTest, CookiesGoBackToTheServerOnlyWithRequestsThatHandleThem) {
  d.route("/set", Reply::ok("", {{"Set-Cookie", "session=abc; Path=/"}}));
  d.route("/set-unasked", Reply::ok("", {{"Set-Cookie", "unasked=1; Path=/"}}));
  URLRequest withoutCookies = request("/set-unasked");
  withoutCookies.setHTTPShouldHandleCookies(false);
  URLRequest checkWithout = request("/check");
  checkWithout.setHTTPShouldHandleCookies(false);
  for (const URLRequest& r : {request("/set"), withoutCookies, request("/check"), checkWithout})
    load(r);
  ASSERT_EQ(server().requestCount(), 4u);
  EXPECT_EQ(server().requests()[2].header("Cookie"), "session=abc")
      << "the cookie set with cookies handled came back, the other did not";
  EXPECT_FALSE(server().requests()[3].header("Cookie"));
}

TEST_F(SoupURLLoadingTest, RequestsRedirectHopsAndCancelledShortAnswersShareOneConnection) {
  d.route("/again", Reply::ok(binaryBody(5000)));
  d.route("/moved", Reply::withStatus(302, {{"Location", "/again"}}, "moved"));
  d.route("/unchanged", Reply::withStatus(304));
  d.route("/missing", Reply::withStatus(404, {}, "not here"));
  load(request("/again"));
  load(request("/moved"));
  // As a fetcher does once it has the status it needs: cancelled when the answer's head comes,
  // with the body (none, or a short one) already there.
  for (const char* target : {"/unchanged", "/missing", "/unchanged"}) {
    auto recorder = std::make_shared<Recorder>();
    recorder->onResponse = [](URLConnection& connection) { connection.cancel(); };
    auto connection = start(request(target), recorder);
    ASSERT_TRUE(d.runUntil([&] { return recorder->response.has_value(); }));
  }
  EXPECT_EQ(load(request("/again"))->events.back(), "finish");
  EXPECT_EQ(server().requestCount(), 7u);
  EXPECT_EQ(server().acceptedConnectionCount(), 1u);
}

// A server that holds tracking requests open holds connections of their own: a load that someone
// waits for, to the same server, goes through at once.
TEST_F(SoupURLLoadingTest, HungBackgroundRequestsLeaveTheServerToOtherLoads) {
  d.route("/track", Reply::unanswered());
  d.route("/ad", Reply::ok("<p>ad</p>"));
  std::vector<std::pair<std::shared_ptr<Recorder>, std::shared_ptr<URLConnection>>> trackers;
  for (int i = 0; i < 4; ++i) {
    URLRequest tracking = request("/track", 60);
    tracking.setNetworkServiceType(URLRequest::NetworkServiceType::Background);
    auto recorder = std::make_shared<Recorder>();
    trackers.emplace_back(recorder, start(tracking, recorder));
  }
  ASSERT_TRUE(d.runUntil([&] { return server().requestCount() >= 2; }));
  auto page = std::make_shared<Recorder>();
  auto connection = start(request("/ad"), page);
  EXPECT_TRUE(d.loop->runUntil([&] { return page->ended(); }, 2));
  EXPECT_EQ(page->body, "<p>ad</p>");
  for (const auto& [recorder, tracking] : trackers)
    EXPECT_FALSE(recorder->ended());
}

TEST_F(SoupURLLoadingTest, ARefusedConnectionFailsWithCannotConnectToHost) {
  test_support::RefusingPort refusing;
  ASSERT_NE(refusing.port(), 0);
  auto recorder = load(URLRequest(*base::URL::fromString(refusing.url("/x"))));
  EXPECT_EQ(recorder->errorCode(), URLError::CannotConnectToHost);
  EXPECT_FALSE(recorder->error->localizedFailureReason().empty());
}

TEST_F(SoupURLLoadingTest, TheBackendGoingStopsItsLoadsAndClosesTheirConnections) {
  // Silent, with a short timeout: only the backend's going keeps it from failing.
  d.route("/silent", Reply::unanswered());
  d.route("/stalls", Reply::cutShort(binaryBody(100000), 40000, false));
  auto otherLoading = std::make_unique<glib::SoupURLLoading>(d.loop);
  auto outlived = std::make_shared<Recorder>();
  auto stalled = std::make_shared<Recorder>();
  auto silentConnection = otherLoading->makeConnection(request("/silent", 1), outlived);
  auto stalledConnection = otherLoading->makeConnection(request("/stalls"), stalled);
  ASSERT_TRUE(d.runUntil([&] { return server().requestCount() == 2 && stalled->pieces > 0; }));
  otherLoading.reset();
  // Started later with the same timeout, so the outlived load would have timed out before it.
  EXPECT_EQ(load(request("/silent", 1))->errorCode(), URLError::TimedOut);

  EXPECT_EQ(outlived->events, Lines{"send"});
  EXPECT_EQ(stalled->events, (Lines{"send", "response", "data"}));
  // Each load, stalled by the server, was stopped by the client, which closed its connection.
  EXPECT_TRUE(d.runUntil(
      [&] { return server().closedConnectionCount() == server().acceptedConnectionCount(); }));
  EXPECT_EQ(server().acceptedConnectionCount(), 3u);
}

}  // namespace
}  // namespace platform
