#include "platform/sim/SimURLLoading.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/sim/SimPlatform.h"

namespace platform {
namespace {

using Reply = sim::SimURLLoading::Reply;

std::string failingURL(const base::Error& error) {
  const base::Value* url = error.userInfo().find(URLError::kFailingURLStringKey);
  return url && url->asString() ? *url->asString() : "(none)";
}

// Writes down what a connection tells it, one line per callback, and when.
class Recorder : public URLConnectionDelegate {
 public:
  std::vector<std::string> events;
  std::vector<double> times;
  std::vector<URLResponse> redirects;
  std::optional<URLResponse> response;
  base::Error error;
  // How to answer a request about to go out; by default it goes as proposed.
  std::function<std::optional<URLRequest>(const URLRequest&)> answer;
  // Called after each line is written, with that line.
  std::function<void(URLConnection&, const std::string&)> after;
  sim::SimRunLoop* loop = nullptr;

  std::optional<URLRequest> connectionWillSendRequest(URLConnection& c, const URLRequest& request,
                                                      const URLResponse* redirect) override {
    if (redirect) redirects.push_back(*redirect);
    std::optional<URLRequest> result = answer ? answer(request) : request;
    note(c, "send " + request.url().absoluteString());
    return result;
  }
  void connectionDidReceiveResponse(URLConnection& c, const URLResponse& r) override {
    response = r;
    note(c, "response " + std::to_string(r.statusCode()));
  }
  void connectionDidReceiveData(URLConnection& c, std::span<const uint8_t> data) override {
    note(c, "data " + std::string(data.begin(), data.end()));
  }
  void connectionDidFinishLoading(URLConnection& c) override { note(c, "finish"); }
  void connectionDidFailWithError(URLConnection& c, const base::Error& e) override {
    error = e;
    note(c, "fail " + std::to_string(e.code()));
  }

 private:
  void note(URLConnection& c, std::string line) {
    events.push_back(line);
    times.push_back(loop->now());
    if (after) after(c, line);
  }
};

class SimURLLoadingTest : public ::testing::Test {
 protected:
  sim::SimPlatform platform;
  std::shared_ptr<Recorder> delegate = std::make_shared<Recorder>();

  SimURLLoadingTest() { delegate->loop = &platform.runLoop(); }

  sim::SimURLLoading& server() { return platform.urlLoading(); }
  static URLRequest request(std::string_view url, double timeout = 60) {
    return URLRequest(*base::URL::fromString(url), URLRequest::CachePolicy::UseProtocolCachePolicy,
                      timeout);
  }
  std::shared_ptr<URLConnection> load(const URLRequest& r) {
    return URLConnection::connectionWithRequest(r, delegate);
  }
  using Lines = std::vector<std::string>;
};

TEST_F(SimURLLoadingTest, AnswersOnTheNextPassInTheContractsOrder) {
  server().route("http://h/a", Reply::ok("hello", {{"Content-Length", "5"}}));
  auto connection = load(request("http://h/a"));
  ASSERT_TRUE(connection);
  EXPECT_TRUE(delegate->events.empty());
  EXPECT_TRUE(server().sentRequests().empty());
  EXPECT_EQ(server().activeConnectionCount(), 1u);

  platform.runLoop().runUntilIdle();
  EXPECT_EQ(delegate->events, (Lines{"send http://h/a", "response 200", "data hello", "finish"}));
  EXPECT_EQ(delegate->response->url().absoluteString(), "http://h/a");
  EXPECT_EQ(delegate->response->expectedContentLength(), 5);
  EXPECT_EQ(server().sentRequests().size(), 1u);
  EXPECT_EQ(server().activeConnectionCount(), 0u);
  EXPECT_EQ(server().createdConnectionCount(), 1u);
}

TEST_F(SimURLLoadingTest, MakesNoConnectionWhenUnavailable) {
  server().setCanCreateConnections(false);
  EXPECT_FALSE(load(request("http://h/a")));
  server().setCanCreateConnections(true);
  platform.setURLLoadingAvailable(false);
  EXPECT_FALSE(load(request("http://h/a")));
  EXPECT_EQ(server().createdConnectionCount(), 0u);
}

TEST_F(SimURLLoadingTest, FollowsRedirectsHopByHopKeepingTheRequestsFields) {
  server().route("http://h/x/a", Reply::redirect("../y/b?q=1"));
  server().route("http://h/y/b?q=1", Reply::redirect("https://other/z", 301));
  server().route("https://other/z", Reply::ok("end"));
  URLRequest first = request("http://h/x/a", 30);
  first.setValue("Mon, 05 Jan 2026 10:00:00 GMT", "If-Modified-Since");
  first.setHTTPShouldHandleCookies(false);
  auto connection = load(first);
  platform.runLoop().runUntilIdle();

  EXPECT_EQ(delegate->events,
            (Lines{"send http://h/x/a", "send http://h/y/b?q=1", "send https://other/z",
                   "response 200", "data end", "finish"}));
  ASSERT_EQ(delegate->redirects.size(), 2u);
  EXPECT_EQ(delegate->redirects[0].statusCode(), 302);
  EXPECT_EQ(delegate->redirects[0].url().absoluteString(), "http://h/x/a");
  EXPECT_EQ(delegate->redirects[1].statusCode(), 301);
  EXPECT_EQ(delegate->redirects[1].allHeaderFields().value("location"), "https://other/z");
  const auto& sent = server().sentRequests();
  ASSERT_EQ(sent.size(), 3u);
  for (const URLRequest& hop : sent) {
    EXPECT_EQ(hop.valueForHTTPHeaderField("if-modified-since"), "Mon, 05 Jan 2026 10:00:00 GMT");
    EXPECT_EQ(hop.timeoutInterval(), 30);
    EXPECT_FALSE(hop.HTTPShouldHandleCookies());
  }
  EXPECT_EQ(connection->originalRequest().url().absoluteString(), "http://h/x/a");
  EXPECT_EQ(connection->currentRequest().url().absoluteString(), "https://other/z");
}

TEST_F(SimURLLoadingTest, SendsTheRequestTheDelegateAnswersWith) {
  server().route("http://h/a", Reply::redirect("/b"));
  server().route("http://h/c", Reply::ok("c"));
  delegate->answer = [](const URLRequest& proposed) {
    URLRequest changed = proposed;
    if (proposed.url().absoluteString() == "http://h/b")
      changed.setURL(*base::URL::fromString("http://h/c"));
    changed.setValue("yes", "X-Changed");
    return changed;
  };
  load(request("http://h/a"));
  platform.runLoop().runUntilIdle();
  ASSERT_EQ(server().sentRequests().size(), 2u);
  EXPECT_EQ(server().sentRequests()[1].url().absoluteString(), "http://h/c");
  EXPECT_EQ(server().sentRequests()[1].valueForHTTPHeaderField("X-Changed"), "yes");
  EXPECT_EQ(delegate->events.back(), "finish");
}

TEST_F(SimURLLoadingTest, DeliversARedirectTheDelegateDeclinesAndNeverRedirectsA304) {
  Reply moved = Reply::redirect("/b", 307);
  moved.body = "moved";
  server().route("http://h/a", moved);
  server().route("http://h/n", Reply::withStatus(304, {{"Location", "/b"}}));
  delegate->answer = [](const URLRequest& r) -> std::optional<URLRequest> {
    if (r.url().absoluteString() == "http://h/b") return std::nullopt;
    return r;
  };
  load(request("http://h/a"));
  load(request("http://h/n"));
  platform.runLoop().runUntilIdle();
  EXPECT_EQ(delegate->events,
            (Lines{"send http://h/a", "send http://h/n", "send http://h/b", "response 307",
                   "data moved", "finish", "response 304", "finish"}));
  EXPECT_EQ(server().sentRequests().size(), 2u);
}

TEST_F(SimURLLoadingTest, DeclinedFirstRequestEndsSilently) {
  delegate->answer = [](const URLRequest&) { return std::nullopt; };
  auto connection = load(request("http://h/a"));
  platform.runLoop().advance(100);
  EXPECT_EQ(delegate->events, (Lines{"send http://h/a"}));
  EXPECT_TRUE(server().sentRequests().empty());
  EXPECT_EQ(server().activeConnectionCount(), 0u);
}

TEST_F(SimURLLoadingTest, SendsTheBodyInTimedPieces) {
  server().route("http://h/a", Reply::ok("abcdefg").after(1).inPieces(3, 2));
  load(request("http://h/a", 2));
  platform.runLoop().advance(10);
  EXPECT_EQ(delegate->events,
            (Lines{"send http://h/a", "response 200", "data abc", "data def", "data g", "finish"}));
  EXPECT_EQ(delegate->times, (std::vector<double>{0, 1, 1, 3, 5, 5}));
}

TEST_F(SimURLLoadingTest, TimesOutOnASlowHeadAndOnAStalledBody) {
  Reply slow = Reply::ok("x");
  slow.delay = 10;
  server().route("http://h/slow", slow);
  Reply stalled = Reply::ok("abcd");
  stalled.delay = 1;
  stalled.pieceSize = 2;
  stalled.pieceDelay = 30;
  server().route("http://h/stalled", stalled);

  load(request("http://h/slow", 4));
  platform.runLoop().advance(10);
  EXPECT_EQ(delegate->events, (Lines{"send http://h/slow", "fail -1001"}));
  EXPECT_EQ(delegate->times.back(), 4);
  EXPECT_EQ(failingURL(delegate->error), "http://h/slow");

  delegate->events.clear();
  delegate->times.clear();
  load(request("http://h/stalled", 20));
  platform.runLoop().advance(60);
  EXPECT_EQ(delegate->events,
            (Lines{"send http://h/stalled", "response 200", "data ab", "fail -1001"}));
  EXPECT_EQ(delegate->times.back(), 10 + 1 + 20);
}

TEST_F(SimURLLoadingTest, FailsWithTheRepliedErrorAndByDefaultCannotConnect) {
  Reply refused = Reply::fail(URLError::CannotFindHost);
  refused.delay = 3;
  server().route("http://h/a", refused);
  load(request("http://h/a"));
  platform.runLoop().advance(3);
  EXPECT_EQ(delegate->events, (Lines{"send http://h/a", "fail -1003"}));
  EXPECT_EQ(delegate->times.back(), 3);
  EXPECT_EQ(failingURL(delegate->error), "http://h/a");

  load(request("http://h/unrouted"));
  platform.runLoop().runUntilIdle();
  EXPECT_EQ(delegate->events.back(), "fail -1004");
}

TEST_F(SimURLLoadingTest, RouteHandlerChoosesByTheRequestsHeaders) {
  server().route("http://h/file", [](const URLRequest& r) {
    return r.valueForHTTPHeaderField("If-Modified-Since") == "then" ? Reply::withStatus(304)
                                                                    : Reply::ok("fresh");
  });
  load(request("http://h/file"));
  URLRequest conditional = request("http://h/file");
  conditional.setValue("then", "If-Modified-Since");
  load(conditional);
  platform.runLoop().runUntilIdle();
  EXPECT_EQ(delegate->events, (Lines{"send http://h/file", "send http://h/file", "response 200",
                                     "data fresh", "finish", "response 304", "finish"}));
}

TEST_F(SimURLLoadingTest, LoadsOnlyHTTPAndRecordsOnlyWhatGoesOnTheWire) {
  server().route("http://h/a", Reply::redirect("ftp://h/file"));
  load(request("ftp://h/file"));
  load(request("http://h/a"));
  platform.runLoop().runUntilIdle();
  EXPECT_EQ(delegate->events, (Lines{"send ftp://h/file", "fail -1002", "send http://h/a",
                                     "send ftp://h/file", "fail -1002"}));
  ASSERT_EQ(server().sentRequests().size(), 1u);
  EXPECT_EQ(server().sentRequests()[0].url().absoluteString(), "http://h/a");
}

TEST_F(SimURLLoadingTest, StopsARedirectLoop) {
  server().route("http://h/a", Reply::redirect("/a"));
  load(request("http://h/a"));
  platform.runLoop().runUntilIdle();
  EXPECT_EQ(delegate->events.back(), "fail -1007");
  EXPECT_EQ(server().sentRequests().size(), sim::SimURLLoading::kMaxRedirects + 1u);
}

TEST_F(SimURLLoadingTest, CancelInsideACallbackSilencesTheConnection) {
  server().route("http://h/a", Reply::ok("abcdef").inPieces(2, 1));
  std::shared_ptr<URLConnection> connection = load(request("http://h/a"));
  delegate->after = [&](URLConnection& c, const std::string& line) {
    if (line != "data ab") return;
    c.cancel();
    c.cancel();
    connection.reset();  // the delegate lets go of the connection inside its own callback
  };
  platform.runLoop().advance(10);
  EXPECT_EQ(delegate->events, (Lines{"send http://h/a", "response 200", "data ab"}));
  EXPECT_EQ(server().activeConnectionCount(), 0u);
  EXPECT_EQ(platform.runLoop().pendingTaskCount(), 0u);

  server().route("http://h/moved", Reply::redirect("/a"));
  delegate->events.clear();
  delegate->after = [](URLConnection& c, const std::string& line) {
    if (line == "send http://h/a") c.cancel();
  };
  load(request("http://h/a"));
  load(request("http://h/moved"));
  platform.runLoop().advance(10);
  EXPECT_EQ(delegate->events, (Lines{"send http://h/a", "send http://h/moved", "send http://h/a"}));
  ASSERT_EQ(server().sentRequests().size(), 2u);
  EXPECT_EQ(server().sentRequests()[1].url().absoluteString(), "http://h/moved");
}

TEST_F(SimURLLoadingTest, CancelAfterTheEndChangesNothing) {
  server().route("http://h/a", Reply::ok("x"));
  auto connection = load(request("http://h/a"));
  platform.runLoop().runUntilIdle();
  connection->cancel();
  connection->cancel();
  EXPECT_EQ(delegate->events.back(), "finish");
}

TEST_F(SimURLLoadingTest, EndsSilentlyWhenItsDelegateGoes) {
  server().route("http://h/a", Reply::ok("abcd").inPieces(2, 1));
  auto gone = std::make_shared<Recorder>();
  gone->loop = &platform.runLoop();
  auto unheard = URLConnection::connectionWithRequest(request("http://h/a"), gone);
  gone.reset();
  EXPECT_EQ(server().activeConnectionCount(), 0u);

  auto midBody = load(request("http://h/a"));
  platform.runLoop().runUntilIdle();
  EXPECT_EQ(delegate->events.back(), "data ab");
  EXPECT_EQ(server().sentRequests().size(), 1u);
  delegate.reset();
  platform.runLoop().advance(10);
  EXPECT_EQ(server().activeConnectionCount(), 0u);
  EXPECT_EQ(platform.runLoop().pendingTaskCount(), 0u);
}

TEST(SimURLLoadingLifetimeTest, ConnectionsOutliveTheirLoadingAndRunLoopSafely) {
  auto loop = std::make_shared<sim::SimRunLoop>();
  auto loading = std::make_unique<sim::SimURLLoading>(loop);
  loading->route("http://h/a", Reply::ok("x"));
  auto delegate = std::make_shared<Recorder>();
  delegate->loop = loop.get();
  auto connection =
      loading->makeConnection(URLRequest(*base::URL::fromString("http://h/a")), delegate);
  loading.reset();
  loop->runUntilIdle();
  EXPECT_TRUE(delegate->events.empty());

  loading = std::make_unique<sim::SimURLLoading>(loop);
  auto pending =
      loading->makeConnection(URLRequest(*base::URL::fromString("http://h/a")), delegate);
  loading.reset();
  loop.reset();
  pending->cancel();
  connection->cancel();
  EXPECT_TRUE(delegate->events.empty());
}

}  // namespace
}  // namespace platform
