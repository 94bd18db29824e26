// The cached file over real HTTP: libsoup on the GLib main loop, talking to a server on 127.0.0.1
// that records what arrives on the wire. Statuses, redirects, vetoes, limits, failures and the
// click tracker are pinned on the simulated loading, which the URL loading behaviour suite holds
// to what libsoup does; here only the round trip that needs a real wire and file.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "ads/Network/TADCachedFile.h"
#include "ads/Statistics/TADStatistics.h"
#include "tests/support/LoopbackHTTPServer.h"
#include "tests/support/NetworkPlatform.h"

namespace {

using test_support::LoopbackHTTPServer;
using Response = LoopbackHTTPServer::Response;

constexpr const char* kLastModified = "Sun, 06 Nov 1994 08:49:37 GMT";
constexpr int64_t kLastModifiedSeconds = 784111777;
constexpr double kPatience = 20;  // seconds; generous for a loaded machine, never a speed limit

class Recorder : public TADCachedFileDelegate {
 public:
  std::vector<std::string> events;

  void cachedFileDownloadDidFail(TADCachedFile&, const std::optional<base::Error>& e) override {
    events.push_back(e ? "fail " + std::to_string(e->code()) : "fail");
  }
  void cachedFileDownloadDidEnd(TADCachedFile&) override { events.push_back("end"); }
  std::optional<base::Error> cachedFileShouldRedirectToURL(TADCachedFile&,
                                                           const base::URL&) override {
    return std::nullopt;
  }
};

class TADNetworkLoopbackTest : public ::testing::Test {
 protected:
  ~TADNetworkLoopbackTest() override { TADStatistics::releaseSharedStatistics(); }

  std::shared_ptr<TADCachedFile> file(const std::string& url) {
    return TADCachedFile::initWithDelegate(recorder_, *base::URL::fromString(url));
  }
  // Runs the main loop until the delegate has heard count events.
  bool waitForEvents(size_t count = 1) {
    return platform_.runLoop().runUntil([&] { return recorder_->events.size() >= count; },
                                        kPatience);
  }
  static int64_t modificationSeconds(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mtim.tv_sec : -1;
  }

  test_support::NetworkPlatform platform_;
  LoopbackHTTPServer server_;
  std::shared_ptr<Recorder> recorder_ = std::make_shared<Recorder>();
};

TEST_F(TADNetworkLoopbackTest, AConditionalFetchRoundTripsLastModifiedAndA304KeepsTheCopy) {
  ASSERT_NE(server_.port(), 0) << server_.problem();
  server_.route("/script.js", [](const LoopbackHTTPServer::Request& request) {
    if (request.header("If-Modified-Since")) return Response::withStatus(304);
    return Response::ok("function build() {}", {{"Last-Modified", kLastModified}});
  });
  auto script = file(server_.url("/script.js"));
  script->validate();
  ASSERT_TRUE(waitForEvents(1));
  EXPECT_EQ(recorder_->events.back(), "end");
  EXPECT_EQ(script->content(), "function build() {}");
  EXPECT_EQ(modificationSeconds(*script->filePath()), kLastModifiedSeconds);

  script->validate();
  ASSERT_TRUE(waitForEvents(2));
  EXPECT_EQ(recorder_->events.back(), "end");
  EXPECT_EQ(script->httpStatusCode(), 304);
  EXPECT_EQ(script->content(), "function build() {}");
  EXPECT_EQ(modificationSeconds(*script->filePath()), kLastModifiedSeconds);

  std::vector<LoopbackHTTPServer::Request> wire = server_.requests();
  ASSERT_EQ(wire.size(), 2u);
  EXPECT_FALSE(wire[0].header("If-Modified-Since"));
  EXPECT_EQ(wire[1].header("If-Modified-Since"), kLastModified);
  EXPECT_EQ(wire[1].connection, wire[0].connection) << "the connection was not reused";
}

}  // namespace
