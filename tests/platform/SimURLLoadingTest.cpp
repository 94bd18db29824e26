// What only the simulated loading does: its scripted server's timing on the virtual clock, its
// failures, and its bookkeeping. What every connection does is in URLLoadingBehaviourTest.

#include "platform/sim/SimURLLoading.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/SimPlatform.h"

namespace platform {
namespace {

using Reply = sim::SimURLLoading::Reply;
using Lines = std::vector<std::string>;

// Writes down what a connection tells it, one line per callback, and when.
class Recorder : public URLConnectionDelegate {
 public:
  explicit Recorder(sim::SimRunLoop& loop) : loop_(loop) {}
  Lines events;
  std::vector<double> times;
  base::Error error;
  std::function<void(URLConnection&, const std::string&)> after;

  std::optional<URLRequest> connectionWillSendRequest(URLConnection& c, const URLRequest& request,
                                                      const URLResponse*) override {
    note(c, "send " + request.url().path());
    return request;
  }
  void connectionDidReceiveResponse(URLConnection& c, const URLResponse& r) override {
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
    times.push_back(loop_.now());
    if (after) after(c, line);
  }
  sim::SimRunLoop& loop_;
};

class SimURLLoadingTest : public ::testing::Test {
 protected:
  sim::SimPlatform platform;
  sim::SimRunLoop& loop = platform.runLoop();
  std::shared_ptr<Recorder> delegate = std::make_shared<Recorder>(loop);

  sim::SimURLLoading& server() { return platform.urlLoading(); }
  std::shared_ptr<URLConnection> load(std::string_view url, double timeout = 60) {
    URLRequest request(*base::URL::fromString(url), URLRequest::CachePolicy::UseProtocolCachePolicy,
                       timeout);
    return URLConnection::connectionWithRequest(request, delegate);
  }
};

TEST_F(SimURLLoadingTest, AnswersOnTheVirtualClockAndTimesOutExactlyWhenTheServerIsSilent) {
  server().route("http://h/pieces", Reply::ok("abcdefg").after(1).inPieces(3, 2));
  server().route("http://h/slow", Reply::ok("x").after(10));
  server().route("http://h/stalled", Reply::ok("abcd").after(1).inPieces(2, 30));
  load("http://h/pieces", 2);
  loop.advance(10);
  EXPECT_EQ(delegate->events,
            (Lines{"send /pieces", "response 200", "data abc", "data def", "data g", "finish"}));
  EXPECT_EQ(delegate->times, (std::vector<double>{0, 1, 1, 3, 5, 5}));

  for (auto [url, timeout, failsAt] :
       {std::tuple{"http://h/slow", 4.0, 4.0}, std::tuple{"http://h/stalled", 20.0, 1 + 20.0}}) {
    delegate->times.clear();
    double start = loop.now();
    load(url, timeout);
    loop.advance(60);
    EXPECT_EQ(delegate->events.back(), "fail -1001") << url;
    EXPECT_EQ(delegate->times.back() - start, failsAt) << url;
  }
}

TEST_F(SimURLLoadingTest, FailsAsScriptedAndByDefaultCannotConnectAndMakesNoneWhenUnavailable) {
  server().route("http://h/a", Reply::fail(URLError::CannotFindHost).after(3));
  load("http://h/a");
  load("http://h/unrouted");
  loop.advance(3);
  EXPECT_EQ(delegate->events, (Lines{"send /a", "send /unrouted", "fail -1004", "fail -1003"}));
  EXPECT_EQ(delegate->times.back(), 3);
  EXPECT_EQ(*delegate->error.userInfo().find(URLError::kFailingURLStringKey)->asString(),
            "http://h/a");

  server().setCanCreateConnections(false);
  EXPECT_FALSE(load("http://h/a"));
  server().setCanCreateConnections(true);
  platform.setURLLoadingAvailable(false);
  EXPECT_FALSE(load("http://h/a"));
  EXPECT_EQ(server().createdConnectionCount(), 2u);
}

TEST_F(SimURLLoadingTest, AnEndedConnectionLeavesNothingBehind) {
  server().route("http://h/a", Reply::ok("abcdef").inPieces(2, 1));
  std::shared_ptr<URLConnection> connection = load("http://h/a");
  URLConnection* cancelled = connection.get();
  delegate->after = [&](URLConnection& c, const std::string& line) {
    if (&c != cancelled || line != "data ab") return;
    c.cancel();
    connection.reset();
  };
  auto unheard = URLConnection::connectionWithRequest(
      URLRequest(*base::URL::fromString("http://h/a")), std::make_shared<Recorder>(loop));
  auto finished = load("http://h/a");
  loop.advance(10);
  finished->cancel();  // after the end it changes nothing
  EXPECT_EQ(delegate->events.back(), "finish");
  EXPECT_EQ(server().activeConnectionCount(), 0u);
  EXPECT_EQ(loop.pendingTaskCount(), 0u);
}

TEST(SimURLLoadingLifetimeTest, ConnectionsOutliveTheirLoadingAndRunLoopSafely) {
  auto loop = std::make_shared<sim::SimRunLoop>();
  auto loading = std::make_unique<sim::SimURLLoading>(loop);
  loading->route("http://h/a", Reply::ok("x"));
  auto delegate = std::make_shared<Recorder>(*loop);
  const URLRequest request(*base::URL::fromString("http://h/a"));
  auto connection = loading->makeConnection(request, delegate);
  loading.reset();
  loop->runUntilIdle();
  EXPECT_TRUE(delegate->events.empty());

  loading = std::make_unique<sim::SimURLLoading>(loop);
  auto pending = loading->makeConnection(request, delegate);
  loading.reset();
  loop.reset();
  pending->cancel();
  connection->cancel();
  EXPECT_TRUE(delegate->events.empty());
}

}  // namespace
}  // namespace platform
