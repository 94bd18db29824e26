// The program's check of the ad network it was pointed at, against a real server on 127.0.0.1 and
// a port that refuses connections, through the libsoup loading the program uses.

#include "Classes/quillbeckAdNetworkCheck.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/glib/GlibRunLoop.h"
#include "platform/glib/SoupURLLoading.h"
#include "tests/support/LoopbackHTTPServer.h"
#include "tests/support/RefusingPort.h"

namespace {

using scriptedhttp::ScriptedReply;
using testing::HasSubstr;

// What an origin is, base::URL says; the check keeps the text as given, less a closing slash.
TEST(quillbeckAdNetworkCheckTest, TakesAnOriginAsWrittenWithoutItsClosingSlash) {
  EXPECT_EQ(quillbeckAdNetworkCheck::origin("http://ads.example/"), "http://ads.example");
  EXPECT_EQ(quillbeckAdNetworkCheck::origin("https://Ads.example:8443"),
            "https://Ads.example:8443");
  EXPECT_EQ(quillbeckAdNetworkCheck::origin("http://ads.example/avmo"), std::nullopt);
}

class quillbeckAdNetworkCheckLoadTest : public testing::Test {
 protected:
  // The lines said about origin once the check has finished.
  std::vector<std::string> check(const std::string& origin) {
    std::vector<std::string> lines;
    quillbeckAdNetworkCheck check(origin, [&](const std::string& line) { lines.push_back(line); });
    check.start(&loading_);
    EXPECT_TRUE(loop_->runUntil([&] { return check.finished(); }, 10)) << origin;
    loop_->runFor(0.05);  // nothing more is said afterwards
    return lines;
  }

  std::shared_ptr<platform::glib::GlibRunLoop> loop_ =
      std::make_shared<platform::glib::GlibRunLoop>();
  platform::glib::SoupURLLoading loading_{loop_};
  test_support::LoopbackHTTPServer server_;
};

TEST_F(quillbeckAdNetworkCheckLoadTest, SaysOnceWhenNothingListens) {
  test_support::RefusingPort port;
  ASSERT_NE(port.port(), 0);
  const std::string origin = port.url("");
  std::vector<std::string> lines = check(origin);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_THAT(lines[0], HasSubstr("ad network at " + origin + " cannot be reached"));
  EXPECT_THAT(lines[0], HasSubstr("the banner will try again in 30 seconds"));
}

TEST_F(quillbeckAdNetworkCheckLoadTest, SaysWhenThePageScriptIsNotServedAndNothingWhenItIs) {
  const std::string path(quillbeckAdNetworkCheck::kScriptPath);
  const std::pair<ScriptedReply, const char*> cases[] = {
      {ScriptedReply::ok("function AVMO_buildAdURL() {}"), nullptr},
      {ScriptedReply::withStatus(404), "answers status 404"},
      {ScriptedReply::withStatus(503, {}, "busy"), "answers status 503"},
      {ScriptedReply::ok(""), "answers an empty page script"},
  };
  const std::string origin = server_.url("");
  for (const auto& [reply, said] : cases) {
    server_.route(path, reply);
    std::vector<std::string> lines = check(origin);
    if (!said) {
      EXPECT_TRUE(lines.empty()) << lines.front();
      continue;
    }
    ASSERT_EQ(lines.size(), 1u) << said;
    EXPECT_THAT(lines[0], HasSubstr(origin)) << said;
    EXPECT_THAT(lines[0], HasSubstr(said));
  }
}

}  // namespace
