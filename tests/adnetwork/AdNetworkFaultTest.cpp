#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "adnetwork/AdNetwork.h"
#include "ads/Network/TADCachedFile.h"
#include "tests/adnetwork/HttpClient.h"

// What each fault puts on the wire, and how faults are written on the command line.
namespace {

using adnetwork::AdNetwork;
using adnetwork::testing::HttpClient;
using Fault = AdNetwork::Fault;
using Route = AdNetwork::Route;
using ::testing::HasSubstr;

static_assert(AdNetwork::kOversizedBodyBytes > TADCachedFile::kMaximumBodyBytes);

struct FaultCase {
  const char* plan;
  const char* target;
  const char* logged;
  std::function<void(const HttpClient::Reply&)> check;
};

class AdNetworkFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto started = AdNetwork::start({});
    ASSERT_TRUE(started);
    network = std::move(*started);
  }
  void inject(const std::string& plan, int times = 1) {
    auto fault = AdNetwork::parseFault(plan);
    ASSERT_TRUE(fault) << plan;
    network->injectFault(fault->first, fault->second, times);
  }
  HttpClient::Reply get(const std::string& target) {
    return client.get(target.rfind("http", 0) == 0 ? target : network->origin() + target);
  }

  HttpClient client;
  std::unique_ptr<AdNetwork> network;
};

TEST_F(AdNetworkFaultTest, EachFaultArrivesOnTheWireAsItSays) {
  const FaultCase cases[] = {
      {"ad:503", "/ad?slotname=s", "status:503", [](const auto& r) { EXPECT_EQ(r.status, 503); }},
      {"tracking:404", "/track/impression?ad=1", "status:404",
       [](const auto& r) { EXPECT_EQ(r.status, 404); }},
      {"ad:delay:0.05", "/ad?slotname=s", "delay:0.05",
       [](const auto& r) {
         EXPECT_EQ(r.status, 200);
         EXPECT_THAT(r.body, HasSubstr("<html>"));
       }},
      {"landing:empty", "/landing/x/1", "empty",
       [](const auto& r) {
         EXPECT_EQ(r.status, 200);
         EXPECT_EQ(r.body.find_first_not_of(" \t\r\n"), std::string::npos);
       }},
      {"ad:garbage", "/ad?slotname=s", "garbage",
       [](const auto& r) {
         EXPECT_EQ(r.status, 200);
         EXPECT_NE(r.body.find('\0'), std::string::npos);
       }},
      {"ad:oversized", "/ad?slotname=s", "oversized",
       [](const auto& r) { EXPECT_GT(r.body.size(), TADCachedFile::kMaximumBodyBytes); }},
      {"ad:close", "/ad?slotname=s", "close",
       [](const auto& r) {
         // The client may or may not call the short body a failure; the wire holds less than
         // the head announced.
         EXPECT_EQ(r.status, 200);
         EXPECT_LT(r.body.size(), std::stoul(r.header("Content-Length").value_or("0")));
       }},
      {"script:silent", "/avmo/sdk-core-v40.js", "silent",
       [](const auto& r) {
         EXPECT_THAT(r.body, HasSubstr("function AVMO_buildAdURL(params) {}"));
       }},
      {"script:throws", "/avmo/sdk-core-v40.js", "throws",
       [](const auto& r) { EXPECT_THAT(r.body, HasSubstr("throw new Error")); }},
  };
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.plan);
    inject(c.plan);
    c.check(get(c.target));
    EXPECT_EQ(network->requests().back().fault, c.logged);
    // One request used the fault up; the next is answered soundly.
    HttpClient::Reply next = get(c.target);
    EXPECT_FALSE(next.failed);
    EXPECT_LT(next.status, 400);
  }
}

// A chain of n redirects, each naming its own tracking addresses, then the real answer; the
// requests along the chain use up no further faults.
TEST_F(AdNetworkFaultTest, RedirectChainEndsInTheAnswerAndLoopNeverEnds) {
  inject("ad:redirect-chain:3", -1);
  std::string target = "/ad?slotname=s";
  for (int hop = 1; hop <= 3; ++hop) {
    HttpClient::Reply link = get(target);
    ASSERT_EQ(link.status, 302) << hop;
    EXPECT_EQ(link.header("X-Avmo-Tracking-Urls"),
              network->origin() + "/track/impression?hop=" + std::to_string(hop));
    EXPECT_EQ(link.header("X-Avmo-Click-Tracking-Urls"),
              network->origin() + "/track/click?hop=" + std::to_string(hop));
    target = *link.header("Location");
  }
  HttpClient::Reply answer = get(target);
  EXPECT_EQ(answer.status, 200);
  EXPECT_THAT(target, HasSubstr("slotname=s"));

  network->clearFaults();
  inject("landing:redirect-loop");
  target = "/landing/x/1";
  for (int hop = 0; hop < 30; ++hop) {
    HttpClient::Reply link = get(target);
    ASSERT_EQ(link.status, 302) << hop;
    target = *link.header("Location");
  }
  EXPECT_EQ(get("/landing/x/1").status, 200);
}

// A stalled request stays unanswered, and stopping the network closes its connection, as it does
// for a reply still waiting out its delay.
TEST_F(AdNetworkFaultTest, StalledAndDelayedRepliesEndWhenTheNetworkStops) {
  inject("tracking:stall");
  inject("ad:delay:600");
  auto stalled = client.start(network->origin() + "/track/click?ad=1");
  auto delayed = client.start(network->origin() + "/ad?slotname=s");
  ASSERT_TRUE(HttpClient::iterateUntil([&] { return network->requests().size() == 2; }));
  EXPECT_EQ(get("/track/click?ad=2").status, 200);
  EXPECT_FALSE(stalled->done);
  EXPECT_FALSE(delayed->done);
  EXPECT_EQ(network->count("/track/click"), 2u);
  network.reset();
  ASSERT_TRUE(HttpClient::iterateUntil([&] { return stalled->done && delayed->done; }));
  EXPECT_TRUE(stalled->failed);
  EXPECT_TRUE(delayed->failed);
}

TEST_F(AdNetworkFaultTest, FaultsApplyAsOftenAsToldThenUntilCleared) {
  inject("ad:500", 2);
  inject("ad:404", 1);
  EXPECT_EQ(get("/ad").status, 500);
  EXPECT_EQ(get("/ad").status, 500);
  EXPECT_EQ(get("/ad").status, 404);
  EXPECT_EQ(get("/ad").status, 200);
  inject("ad:503", -1);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(get("/ad").status, 503);
  EXPECT_EQ(get("/landing/x/1").status, 200);
  network->clearFaults();
  EXPECT_EQ(get("/ad").status, 200);
}

TEST(AdNetworkParseFault, ReadsTheCommandLineForms) {
  struct Accepted {
    const char* text;
    Route route;
    Fault fault;
    int status = 500;
    double seconds = 0;
    int count = 3;
  };
  const Accepted accepted[] = {
      {"ad:503", Route::Ad, Fault::Status, 503},
      {"tracking:status:404", Route::Tracking, Fault::Status, 404},
      {"ad:delay:2", Route::Ad, Fault::Delay, 500, 2},
      {"landing:delay:0.25", Route::Landing, Fault::Delay, 500, 0.25},
      {"tracking:stall", Route::Tracking, Fault::Stall},
      {"ad:empty", Route::Ad, Fault::EmptyPage},
      {"ad:garbage", Route::Ad, Fault::Garbage},
      {"script:oversized", Route::Script, Fault::Oversized},
      {"ad:redirect-chain", Route::Ad, Fault::RedirectChain},
      {"ad:redirect-chain:5", Route::Ad, Fault::RedirectChain, 500, 0, 5},
      {"landing:redirect-loop", Route::Landing, Fault::RedirectLoop},
      {"ad:close", Route::Ad, Fault::CloseMidAnswer},
      {"script:silent", Route::Script, Fault::ScriptSilent},
      {"script:throws", Route::Script, Fault::ScriptThrows},
  };
  for (const Accepted& a : accepted) {
    SCOPED_TRACE(a.text);
    auto parsed = AdNetwork::parseFault(a.text);
    ASSERT_TRUE(parsed);
    const auto& [route, fault] = *parsed;
    EXPECT_EQ(std::tuple(route, fault.fault, fault.status, fault.seconds, fault.count),
              std::tuple(a.route, a.fault, a.status, a.seconds, a.count));
  }
  // The empty plan, then each word of the list.
  std::vector<std::string> refusals{""};
  std::istringstream words(
      "ad ad: banner:503 ad:99 ad:600 ad:status ad:delay ad:delay:-1 ad:delay:x ad:delay:1e12 "
      "ad:1e20 ad:redirect-chain:1e20 ad:stall:3 ad:redirect-chain:0 ad:redirect-chain:1.5 "
      "ad:silent tracking:throws ad:503:1 AD:503 ad:unknown");
  for (std::string word; words >> word;)
    refusals.push_back(word);
  for (const std::string& refused : refusals) {
    SCOPED_TRACE(refused);
    auto parsed = AdNetwork::parseFault(refused);
    ASSERT_FALSE(parsed);
    EXPECT_FALSE(parsed.error().localizedDescription().empty());
  }
}

}  // namespace
