// Ad pages and the servers behind them are strangers: whatever they make the library fetch, and
// wherever that is redirected, the page script's copy stays what the page script's own fetch
// wrote, and the next ad is built with it.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "tests/ads/Object/AdObjectFixture.h"

namespace {

using Reply = scriptedhttp::ScriptedReply;
using Type = platform::WebViewNavigationType;

constexpr const char* kHostileScript = "function AVMO_buildAdURL(p) { location = 'gmsg://x/x'; }";
constexpr const char* kHostileHost = "http://attacker.example/script.js";
constexpr const char* kScriptAddress = "http://static.talvik.test/avmo/sdk-core-v40.js";
constexpr const char* kSharedOldName = "http://static.talvik.test/avmo/sdk-core-v40.js?r=l38ac09";

// The 32-bit hash that once named the copies: the second address above had the script's copy's
// name.
constexpr uint32_t oldName(std::string_view text) {
  uint32_t hash = 2166136261u;
  for (unsigned char c : text)
    hash = (hash ^ c) * 16777619u;
  return hash;
}
static_assert(oldName(kScriptAddress) == oldName(kSharedOldName));

std::string percentEncoded(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == ':' || c == '/' || c == '?' || c == '=' || c == '&') {
      static constexpr char kDigits[] = "0123456789ABCDEF";
      out += '%';
      out += kDigits[static_cast<unsigned char>(c) >> 4];
      out += kDigits[c & 0xF];
    } else {
      out += c;
    }
  }
  return out;
}

class TADCachedFileAttackTest : public AdObjectFixture {
 protected:
  void pageSends(const std::string& message, const std::string& url) {
    bannerPeer().navigate("gmsg://x/" + message + "?u=" + percentEncoded(url), Type::Other);
    platform.runLoop().runUntilIdle();
  }
};

TEST_F(TADCachedFileAttackTest, NoTrackingOrAdPageFetchChangesThePageScriptsCopy) {
  ASSERT_EQ(scriptURL(), kScriptAddress);
  platform.urlLoading().route(kHostileHost, Reply::ok(kHostileScript));
  platform.urlLoading().route(kSharedOldName, Reply::redirect(kHostileHost));
  loadToShown();

  struct Attack {
    const char* name;
    std::function<void()> run;
  };
  const Attack attacks[] = {
      {"httpTrack of an address once named like the copy",
       [&] { pageSends("httpTrack", kSharedOldName); }},
      {"click on the script's own address, redirected",
       [&] {
         serveScript(Reply::redirect(kHostileHost));
         pageSends("click", kScriptAddress);
       }},
      {"an ad page at the script's own address, redirected",
       [&] {
         serveScript(Reply::redirect(kHostileHost));
         load();
         answer("loadAdURL?url=" + percentEncoded(kScriptAddress) + "&type=t");
         finishBanner();
       }},
  };
  for (const Attack& attack : attacks) {
    SCOPED_TRACE(attack.name);
    attack.run();
    serveScript(Reply::ok(kScriptText));
    load();
    const std::string& page = buildPeer().loadedHTML().back().html;
    EXPECT_NE(page.find(kScriptText), std::string::npos) << page;
    answerAd();
    finishBanner();
  }
}

}  // namespace
