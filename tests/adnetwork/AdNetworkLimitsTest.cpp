#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "adnetwork/AdNetwork.h"
#include "adnetwork/PathCounts.h"
#include "tests/adnetwork/HttpClient.h"
#include "tests/adnetwork/RawConnection.h"

// What a stranger on the machine (another program, a page on another name that resolves to
// 127.0.0.1) can make the network do or keep, over real connections on 127.0.0.1.
namespace {

using adnetwork::AdNetwork;
using adnetwork::PathCounts;
using adnetwork::testing::HttpClient;
using adnetwork::testing::RawConnection;
using ::testing::EndsWith;

size_t openDescriptors() {
  return static_cast<size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                           std::filesystem::directory_iterator()));
}

// Lowers the soft limit on descriptors for one test.
class DescriptorLimit {
 public:
  explicit DescriptorLimit(rlim_t soft) {
    ::getrlimit(RLIMIT_NOFILE, &saved_);
    rlimit lowered = saved_;
    lowered.rlim_cur = std::min(soft, saved_.rlim_max);
    ::setrlimit(RLIMIT_NOFILE, &lowered);
  }
  ~DescriptorLimit() { ::setrlimit(RLIMIT_NOFILE, &saved_); }

 private:
  rlimit saved_{};
};

class AdNetworkLimitsTest : public ::testing::Test {
 protected:
  void SetUp() override { start({}); }

  void start(const AdNetwork::Options& options) {
    network.reset();
    auto started = AdNetwork::start(options);
    ASSERT_TRUE(started) << started.error().localizedDescription();
    network = std::move(*started);
    port = std::to_string(network->port());
  }
  std::string head(const std::string& requestLine, const std::string& host,
                   const std::string& fields = "") const {
    return requestLine + " HTTP/1.1\r\nHost: " + host + "\r\n" + fields + "\r\n";
  }
  // The status of what the network answers to bytes sent on a connection of their own.
  int statusFor(const std::string& bytes) const {
    RawConnection connection(network->port());
    EXPECT_TRUE(connection.send(bytes));
    return RawConnection::status(connection.readHead());
  }

  HttpClient client;
  std::unique_ptr<AdNetwork> network;
  std::string port;
};

TEST_F(AdNetworkLimitsTest, AnswersOnlyRequestsAddressedToItsOwnOrigin) {
  const std::string otherPort = std::to_string(network->port() == 65535 ? 1 : network->port() + 1);
  struct Case {
    std::string host;
    std::string target = "/track/impression?ad=1";
    int status = 421;
  };
  const Case cases[] = {
      {"127.0.0.1:" + port, "/track/impression?ad=1", 200},
      {"localhost:" + port, "/track/impression?ad=1", 200},
      {"LocalHost:" + port, "/track/impression?ad=1", 200},
      {"rebound.example:" + port},
      {"127.0.0.1.rebound.example:" + port},
      {"localhost.example:" + port},
      {"127.0.0.1:" + otherPort},
      {"127.0.0.1"},
      {"127.0.0.1:" + port, "http://rebound.example:" + port + "/track/impression?ad=1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.host + " " + c.target);
    EXPECT_EQ(statusFor(head("GET " + c.target, c.host)), c.status);
  }
  // Without "Host" at all, and with two, whichever comes first.
  EXPECT_EQ(statusFor("GET /track/impression?ad=1 HTTP/1.0\r\n\r\n"), 421);
  for (const std::string& other : {"rebound.example:" + port, "127.0.0.1:" + port}) {
    EXPECT_EQ(
        statusFor(head("GET /track/impression?ad=1", other, "host: 127.0.0.1:" + port + "\r\n")),
        400);
    EXPECT_EQ(statusFor(head("GET /track/impression?ad=1", "127.0.0.1:" + port,
                             "Host: " + other + "\r\n")),
              400);
  }
  // Only the requests answered ran their route and were kept.
  EXPECT_EQ(network->count("/track/impression"), 3u);
  EXPECT_EQ(network->requests().size(), 3u);
}

// A body is refused as soon as the head announcing it is in: the network neither waits for the
// gigabyte announced nor keeps what came with the head.
TEST_F(AdNetworkLimitsTest, RequestBodiesAreRefusedWithoutWaitingForThem) {
  const std::string host = "127.0.0.1:" + port;
  for (const std::string& announced : {std::string("Content-Length: 1073741824\r\n"),
                                       std::string("Transfer-Encoding: chunked\r\n")}) {
    SCOPED_TRACE(announced);
    RawConnection connection(network->port());
    ASSERT_TRUE(connection.send(head("POST /track/click?ad=1", host, announced) + "5\r\nfirst"));
    EXPECT_EQ(RawConnection::status(connection.readHead(5)), 413);
    EXPECT_TRUE(connection.closedWithin(5));
  }
  EXPECT_EQ(statusFor(head("POST /track/click?ad=1", host, "Content-Length: 0\r\n")), 200);
  EXPECT_EQ(network->count("/track/click"), 1u);
}

TEST_F(AdNetworkLimitsTest, ConnectionsThatSayNothingAreClosedAfterTheIdleTime) {
  AdNetwork::Options options;
  options.idleSeconds = 0.2;
  start(options);
  RawConnection silent(network->port());
  RawConnection halfHead(network->port());
  ASSERT_TRUE(halfHead.send("GET /ad HTTP/1.1\r\nHost: 127.0.0.1:"));
  EXPECT_TRUE(silent.closedWithin(5));
  EXPECT_TRUE(halfHead.closedWithin(5));
  EXPECT_EQ(statusFor(head("GET /ad", "127.0.0.1:" + port)), 200);
}

// The connections that the limit closes are those that wait for a request, never one whose request
// is being answered (here late, by a delay fault).
TEST_F(AdNetworkLimitsTest, TheConnectionLimitClosesNoConnectionMidRequest) {
  AdNetwork::Options options;
  options.maximumConnections = 2;
  start(options);
  network->injectFault(AdNetwork::Route::Tracking, {AdNetwork::Fault::Delay, 200, 0.5});
  RawConnection answering(network->port());
  ASSERT_TRUE(answering.send(head("GET /track/impression?ad=1", "127.0.0.1:" + port)));
  ASSERT_TRUE(HttpClient::iterateUntil([&] { return network->requests().size() == 1; }));
  std::vector<std::unique_ptr<RawConnection>> newcomers;
  for (int i = 0; i < 3; ++i) {
    newcomers.push_back(std::make_unique<RawConnection>(network->port()));
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
  }
  EXPECT_EQ(RawConnection::status(answering.readHead()), 200);
}

// A client that closes its connection after the answer leaves no descriptor behind in the network.
TEST_F(AdNetworkLimitsTest, AnsweredConnectionsLeaveNoDescriptorBehind) {
  const size_t before = openDescriptors();
  for (int i = 0; i < 50; ++i) {
    RawConnection connection(network->port());
    ASSERT_TRUE(connection.send(head("GET /track/impression?ad=1", "127.0.0.1:" + port)));
    ASSERT_EQ(RawConnection::status(connection.readHead()), 200);
  }
  EXPECT_TRUE(HttpClient::iterateUntil([&] { return openDescriptors() <= before; }))
      << openDescriptors() - before << " left open";
}

// A thousand connections left open hold no more than the connection limit's worth of
// descriptors, and the network still answers a request after them.
TEST_F(AdNetworkLimitsTest, ManyIdleConnectionsLeaveRoomForARequest) {
  constexpr size_t kIdle = 1000;
  const size_t before = openDescriptors();
  const AdNetwork::Options defaults;
  // Room for the idle connections' own ends and the network's share, not for both ends of each.
  DescriptorLimit limit(before + kIdle + defaults.maximumConnections + 100);
  std::vector<std::unique_ptr<RawConnection>> idle;
  for (size_t i = 0; i < kIdle; ++i) {
    idle.push_back(std::make_unique<RawConnection>(network->port()));
    ASSERT_TRUE(idle.back()->opened()) << i;
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
  }
  EXPECT_EQ(client.get(network->origin() + "/ad?slotname=s").status, 200);
  EXPECT_LT(openDescriptors(), before + kIdle + defaults.maximumConnections + 20);
}

TEST_F(AdNetworkLimitsTest, PathCountsStayBoundedWhileTheRoutesAreCounted) {
  const size_t paths = PathCounts::kMaximumPaths + 20;
  for (size_t i = 0; i < paths; ++i) {
    ASSERT_EQ(client.get(network->origin() + "/landing/site-" + std::to_string(i) + "/1").status,
              200);
  }
  client.get(network->origin() + "/track/impression?ad=1");
  EXPECT_EQ(network->count("/landing/site-0/1"), 1u);
  EXPECT_EQ(network->count("/landing/site-" + std::to_string(paths - 1) + "/1"), 0u);
  EXPECT_EQ(network->count(PathCounts::kOtherPaths), 20u);
  EXPECT_EQ(network->count("/track/impression"), 1u);
}

// Numbers in fault markers are read with their range, and a click address cannot break the head
// it is written into.
TEST_F(AdNetworkLimitsTest, WhatARequestCarriesIsCheckedBeforeUse) {
  struct Case {
    const char* target;
    int status;
    const char* locationEnd = "";
  };
  const Case cases[] = {
      {"/landing/x/1?avmo_loop=2147483647", 400},
      {"/landing/x/1?avmo_loop=99999999999999999999", 400},
      {"/landing/x/1?avmo_loop=-1", 400},
      {"/landing/x/1?avmo_loop=0", 400},
      {"/landing/x/1?avmo_loop=1e3", 400},
      {"/landing/x/1?avmo_loop=%2B5", 400},
      {"/landing/x/1?avmo_loop=", 400},
      {"/landing/x/1?avmo_loop=999999", 302, "avmo_loop=1000000"},
      {"/landing/x/1?avmo_loop=1000000", 302, "?avmo_loop=1"},
      {"/ad?avmo_hop=1&avmo_hops=2147483647", 400},
      {"/ad?avmo_hop=4&avmo_hops=3", 400},
      {"/ad?avmo_hop=1", 400},
      {"/ad?avmo_hop=1&avmo_hops=2", 302, "avmo_hop=2&avmo_hops=2"},
      {"/ad?avmo_hop=2&avmo_hops=2", 200},
      {"/aclk?adurl=%2Flanding%2Fx%2F1%0D%0ASet-Cookie%3A%20taken%3D1", 400},
      {"/aclk?adurl=http%3A%2F%2Flanding.example%2F%0A", 400},
      {"/aclk?adurl=%2Flanding%2Fx%2F1%00", 400},
      {"/aclk?adurl=%2Flanding%2Fx%2F1%09", 400},
      {"/aclk?adurl=%2Flanding%2Fx%2F1%7F", 400},
      {"/aclk?adurl=%2Flanding%2Fx%2F1", 302, "/landing/x/1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    HttpClient::Reply reply = client.get(network->origin() + c.target);
    EXPECT_EQ(reply.status, c.status);
    if (c.status == 302) {
      EXPECT_THAT(reply.header("Location").value_or(""), EndsWith(c.locationEnd));
    }
  }
}

}  // namespace
