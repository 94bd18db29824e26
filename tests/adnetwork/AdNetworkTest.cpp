#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <glib.h>
#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <tuple>

#include "adnetwork/AdNetwork.h"
#include "adnetwork/PageScript.h"
#include "adnetwork/RequestLog.h"
#include "json/TAD_VeskJSON.h"
#include "tests/adnetwork/HttpClient.h"

// The network over real HTTP on 127.0.0.1: what each road answers when nothing is wrong.
namespace {

using adnetwork::AdNetwork;
using adnetwork::testing::HttpClient;
using ::testing::HasSubstr;

class AdNetworkTest : public ::testing::Test {
 protected:
  void SetUp() override { network = start({}); }

  std::unique_ptr<AdNetwork> start(AdNetwork::Options options) {
    auto started = AdNetwork::start(options);
    if (!started) {
      ADD_FAILURE() << started.error().localizedDescription();
      return nullptr;
    }
    return std::move(*started);
  }
  HttpClient::Reply get(const std::string& target, const HttpClient::Headers& headers = {}) {
    return client.get(network->origin() + target, headers);
  }

  HttpClient client;
  std::unique_ptr<AdNetwork> network;
};

TEST_F(AdNetworkTest, PageScriptIsRevalidatedByItsLastModifiedDate) {
  HttpClient::Reply script = get("/avmo/sdk-core-v40.js");
  ASSERT_EQ(script.status, 200);
  EXPECT_THAT(script.body, HasSubstr("function AVMO_buildAdURL("));
  auto lastModified = script.header("Last-Modified");
  ASSERT_TRUE(lastModified);

  EXPECT_EQ(get("/avmo/sdk-core-v40.js", {{"If-Modified-Since", *lastModified}}).status, 304);
  const std::string earlier =
      adnetwork::PageScript::httpDate(*adnetwork::PageScript::parseHttpDate(*lastModified) - 60);
  EXPECT_EQ(get("/avmo/sdk-core-v40.js", {{"If-Modified-Since", earlier}}).status, 200);
  EXPECT_EQ(get("/avmo/sdk-core-v40.js", {{"If-Modified-Since", "not a date"}}).status, 200);
}

// A client that kept a broken variant of the script must not be told that its copy is current.
TEST_F(AdNetworkTest, ScriptVariantsMoveLastModifiedOnSoKeptCopiesAreReplaced) {
  network->injectFault(AdNetwork::Route::Script, {AdNetwork::Fault::ScriptSilent});
  HttpClient::Reply silent = get("/avmo/sdk-core-v40.js");
  ASSERT_EQ(silent.status, 200);
  HttpClient::Reply sound =
      get("/avmo/sdk-core-v40.js", {{"If-Modified-Since", *silent.header("Last-Modified")}});
  EXPECT_EQ(sound.status, 200);
  EXPECT_NE(sound.body, silent.body);
  EXPECT_GT(*adnetwork::PageScript::parseHttpDate(*sound.header("Last-Modified")),
            *adnetwork::PageScript::parseHttpDate(*silent.header("Last-Modified")));
}

TEST_F(AdNetworkTest, AdPagesRotateWithTheirHeadersAndFiles) {
  const std::vector<std::string> creatives = network->creatives();
  ASSERT_GE(creatives.size(), 7u);
  for (size_t i = 0; i <= creatives.size(); ++i) {
    const std::string& name = creatives[i % creatives.size()];
    SCOPED_TRACE(name);
    HttpClient::Reply ad = get("/ad?slotname=s&type=sentrel");
    ASSERT_EQ(ad.status, 200);
    EXPECT_THAT(ad.body, HasSubstr("/creative/" + name + "/style.css"));
    EXPECT_EQ(ad.header("X-Avmo-Refresh-Rate"), "30");
    const std::string tag = "?ad=" + std::to_string(i + 1) + "&creative=" + name;
    EXPECT_EQ(ad.header("X-Avmo-Tracking-Urls"), network->origin() + "/track/impression" + tag);
    EXPECT_EQ(ad.header("X-Avmo-Click-Tracking-Urls").has_value(), name == "tracked");
    if (name == "webapp") {
      EXPECT_EQ(ad.header("X-Avmo-Orientation"), "portrait");
    }

    HttpClient::Reply style = get("/creative/" + name + "/style.css");
    EXPECT_EQ(style.header("Content-Type"), "text/css; charset=utf-8");
    EXPECT_THAT(style.body, HasSubstr("background"));
    HttpClient::Reply picture = get("/creative/" + name + "/picture.png");
    EXPECT_EQ(picture.header("Content-Type"), "image/png");
    EXPECT_EQ(picture.body.substr(0, 8), "\x89PNG\r\n\x1a\n");
  }
  EXPECT_EQ(get("/creative/landing/ad.html").status, 404);
  EXPECT_EQ(get("/creative/nothing/style.css").status, 404);

  ASSERT_TRUE(network->pinCreative("mail"));
  EXPECT_FALSE(network->pinCreative("no-such-creative"));
  network->setRefreshSeconds(0);
  for (int i = 0; i < 2; ++i) {
    HttpClient::Reply ad = get("/ad?slotname=s");
    EXPECT_THAT(ad.body, HasSubstr("mailto:"));
    EXPECT_FALSE(ad.header("X-Avmo-Refresh-Rate"));
  }
}

// Where the privacy signals say that an ad may not be personalised, the network serves the creative
// for every user, even over a pinned one, and says why in its log; elsewhere rotation goes on.
TEST_F(AdNetworkTest, PrivacySignalsChooseAnAdForEveryUserAndTheLogSaysWhy) {
  const std::pair<const char*, const char*> cases[] = {
      {"", ""},
      {"&cns_reg=0", ""},
      {"&cns_reg=1", "no-consent"},
      {"&cns_reg=1&cns=", "no-consent"},
      {"&cns_reg=1&cns=measure", "consent-refused"},
      {"&cns_reg=1&cns=adsx", "consent-refused"},
      {"&cns_reg=1&cns=measure%2Cads", ""},
      {"&cns=measure&usp=choices-7", ""},
      {"&cdt=1&cns_reg=1&cns=ads", "child-directed"},
      {"&cdt=0", ""},
  };
  for (bool pinned : {false, true}) {
    if (pinned) {
      ASSERT_TRUE(network->pinCreative("mail"));
    }
    for (const auto& [query, reason] : cases) {
      SCOPED_TRACE(std::string(query) + (pinned ? " pinned" : ""));
      HttpClient::Reply ad = get(std::string("/ad?slotname=s") + query);
      ASSERT_EQ(ad.status, 200);
      const bool general = ad.body.find("/creative/general/style.css") != std::string::npos;
      EXPECT_EQ(general, *reason != '\0');
      EXPECT_EQ(network->requests().back().nonPersonalised, reason);
    }
  }
  EXPECT_EQ(get("/creative/general/picture.png").status, 200);
}

// A copy of the script kept from before a slot was refused is replaced at its next check.
TEST_F(AdNetworkTest, RefusedSlotsAreWrittenIntoTheScriptWhoseDateMovesWithThem) {
  HttpClient::Reply before = get("/avmo/sdk-core-v40.js");
  network->refuseSlot("closed</script>'");
  HttpClient::Reply after =
      get("/avmo/sdk-core-v40.js", {{"If-Modified-Since", *before.header("Last-Modified")}});
  ASSERT_EQ(after.status, 200);
  EXPECT_THAT(after.body,
              HasSubstr("AVMO_REFUSED_SLOTS = ['closed\\u003c\\u002fscript\\u003e\\u0027'];"));
  EXPECT_GT(*adnetwork::PageScript::parseHttpDate(*after.header("Last-Modified")),
            *adnetwork::PageScript::parseHttpDate(*before.header("Last-Modified")));
}

// A click goes through the click address, with whatever the library appends, to a landing page
// whose two pages link to each other; tracking addresses are counted.
TEST_F(AdNetworkTest, ClicksLandOnLinkedPagesAndTrackingIsCounted) {
  HttpClient::Reply click = get("/aclk?ai=landing-1&adurl=%2Flanding%2Flanding%2F1&SIGNALTEXT");
  EXPECT_EQ(click.status, 302);
  EXPECT_EQ(click.header("Location"), network->origin() + "/landing/landing/1");
  HttpClient::Reply first = get("/landing/landing/1?ai=landing-1&SIGNALTEXT");
  EXPECT_EQ(first.status, 200);
  EXPECT_THAT(first.body, HasSubstr("href=\"2\""));
  HttpClient::Reply second = get("/landing/landing/2");
  EXPECT_THAT(second.body, HasSubstr("href=\"1\""));
  EXPECT_EQ(get("/landing/landing/3").status, 404);
  EXPECT_EQ(get("/aclk?adurl=javascript%3Aalert(1)").status, 400);
  EXPECT_EQ(get("/aclk?adurl=%2F%2Fother.example%2F").status, 400);

  get("/track/impression?ad=1");
  get("/track/impression?ad=2");
  get("/track/click?ad=1");
  EXPECT_EQ(network->count("/track/impression"), 2u);
  EXPECT_EQ(network->count("/track/click"), 1u);
}

TEST_F(AdNetworkTest, EveryRequestIsLoggedInMemoryAndAsJsonLines) {
  char folder[] = "/tmp/adnetwork-log-XXXXXX";
  ASSERT_TRUE(::mkdtemp(folder));
  const std::string path = std::string(folder) + "/requests.log";
  AdNetwork::Options options;
  options.logPath = path;
  options.keptRequests = 2;
  network = start(options);
  const std::string before = adnetwork::RequestLog::isoTime(g_get_real_time());
  get("/ad");
  network->injectFault(AdNetwork::Route::Ad, {AdNetwork::Fault::Status, 503});
  get("/ad?slotname=a%20slot&ad_frame=%7B%22w%22%3A320%7D&bare&cdt=1", {{"X-Probe", "yes"}});
  get("/nowhere");
  const std::string after = adnetwork::RequestLog::isoTime(g_get_real_time());

  // Memory keeps the latest two; the counts and the file keep everything.
  const auto requests = network->requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(network->count("/ad"), 2u);
  const AdNetwork::LoggedRequest& faulted = requests[0];
  EXPECT_EQ(std::tuple(faulted.method, faulted.path, faulted.status, faulted.fault,
                       faulted.nonPersonalised),
            std::tuple("GET", "/ad", 503, "status:503", "child-directed"));
  const std::map<std::string, std::string> query{
      {"slotname", "a slot"}, {"ad_frame", "{\"w\":320}"}, {"bare", ""}, {"cdt", "1"}};
  EXPECT_EQ(faulted.query, query);
  EXPECT_EQ(faulted.headers.at("x-probe"), "yes");
  EXPECT_EQ(std::tuple(requests[1].status, requests[1].fault), std::tuple(404, ""));

  std::ifstream file(path);
  std::vector<base::Value> lines;
  for (std::string line; std::getline(file, line);) {
    TAD_VeskJSON reader;
    auto value = reader.objectWithString(line);
    ASSERT_TRUE(value) << line;
    lines.push_back(*value);
  }
  std::filesystem::remove_all(folder);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(*lines[1].find("path")->asString(), "/ad");
  EXPECT_EQ(*lines[1].find("query")->find("slotname")->asString(), "a slot");
  EXPECT_EQ(*lines[1].find("headers")->find("x-probe")->asString(), "yes");
  EXPECT_EQ(lines[1].find("status")->toInt64(), 503);
  EXPECT_EQ(*lines[1].find("fault")->asString(), "status:503");
  EXPECT_EQ(*lines[1].find("nonPersonalised")->asString(), "child-directed");
  EXPECT_EQ(*lines[0].find("nonPersonalised")->asString(), "");
  // The wall-clock times, which read in order as their text does.
  for (const base::Value& line : lines) {
    std::optional<std::string_view> time = line.find("time")->asString();
    ASSERT_TRUE(time);
    EXPECT_GE(*time, before);
    EXPECT_LE(*time, after);
  }
}

TEST(RequestLogTest, TimesAreISO8601InUTCWithMilliseconds) {
  const std::pair<int64_t, const char*> cases[] = {
      {0, "1970-01-01T00:00:00.000Z"},
      {1796639075123456, "2026-12-07T10:24:35.123Z"},
      {1709251199999999, "2024-02-29T23:59:59.999Z"},
      {-1, "1969-12-31T23:59:59.999Z"},
  };
  for (const auto& [microseconds, text] : cases)
    EXPECT_EQ(adnetwork::RequestLog::isoTime(microseconds), text) << microseconds;
}

TEST_F(AdNetworkTest, StartFailsWithTheReasonWhenThePortIsTaken) {
  AdNetwork::Options options;
  options.port = network->port();
  auto second = AdNetwork::start(options);
  ASSERT_FALSE(second);
  EXPECT_THAT(second.error().localizedDescription(), HasSubstr(std::to_string(network->port())));
}

}  // namespace
