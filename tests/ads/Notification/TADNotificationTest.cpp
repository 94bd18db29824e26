#include "ads/Notification/TADNotification.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "ads/Notification/TADNotificationCenter.h"
#include "platform/sim/SimPlatform.h"
#include "platform/sim/SimWebViewPeer.h"

namespace {

base::URL url(const char* text) {
  return *base::URL::fromString(text);
}

TEST(TADNotificationTest, MessageAddressesOfBothSchemesGiveTheirNamesAndParameters) {
  // The address, whether it is a message's, and the message's name (none: no message) and
  // parameters.
  const std::tuple<const char*, bool, std::optional<std::string>, std::optional<base::Dictionary>>
      cases[] = {
          {"gmsg://host/click?u=http%3A%2F%2Fa.b%2Fc", true, "click", {{{"u", "http://a.b/c"}}}},
          {"gmsg://x/vibrate", true, "vibrate", base::Dictionary()},
          {"gmsg://x/Some%20Name?K=v&lone", true, "Some Name", {{{"k", "v"}}}},
          {"gmsg:%C6%A9ab", true, "ab", base::Dictionary()},
          {"gmsg://x", true, std::nullopt, std::nullopt},
          {"gmsg://x/%FF", true, std::nullopt, std::nullopt},
          {"norvak://launch?url=http%3A%2F%2Fa.b",
           true,
           "open",
           {{{"a", "browser"}, {"u", "http://a.b"}}}},
          {"norvak://launch?x=1", true, "open", {{{"a", "browser"}}}},
          {"norvak://closecanvas?x=1", true, "close", std::nullopt},
          {"norvak://log?string=hi%21", true, "log", {{{"string", "hi!"}}}},
          {"norvak://LAUNCH?url=x", true, std::nullopt, std::nullopt},
          {"norvak://elsewhere", true, std::nullopt, std::nullopt},
          {"GMSG://x/vibrate", false, std::nullopt, std::nullopt},
          {"http://a.b/click?u=x", false, std::nullopt, std::nullopt},
      };
  for (const auto& [address, isMessageURL, name, parameters] : cases) {
    SCOPED_TRACE(address);
    EXPECT_EQ(TADNotification::isNotificationURL(url(address)), isMessageURL);
    std::optional<TADNotification> message = TADNotification::notificationFromURL(url(address));
    ASSERT_EQ(message.has_value(), name.has_value());
    if (!message) continue;
    EXPECT_EQ(message->name(), *name);
    EXPECT_EQ(message->parameters(), parameters);
  }
}

class TADNotificationCenterTest : public ::testing::Test {
 protected:
  TADNotificationCenterTest() {
    center().addObserver(this, "", nullptr,
                         [this](const platform::Notification& n) { posted_.push_back(n); });
  }
  ~TADNotificationCenterTest() override { center().removeObserver(this); }

  static TADNotificationCenter& center() { return TADNotificationCenter::defaultCenter(); }
  std::vector<std::string> scripts(platform::WebView& view) {
    return platform::sim::SimWebViewPeer::of(view).evaluatedScripts();
  }

  platform::sim::SimPlatform platform_;
  std::vector<platform::Notification> posted_;
};

TEST_F(TADNotificationCenterTest,
       ADelayedPostingWaitsItsTimeAndAnAddressWithoutMessagePostsNothing) {
  center().postNotificationFromURL(url("gmsg://x/later"), nullptr, 0.5);
  center().postNotificationFromURL(url("norvak://elsewhere"), nullptr, 0);
  platform_.runLoop().advance(0.4);
  EXPECT_TRUE(posted_.empty());
  platform_.runLoop().advance(0.1);
  ASSERT_EQ(posted_.size(), 1u);
  EXPECT_EQ(posted_[0].name, "later");
  EXPECT_EQ(posted_[0].object, nullptr);
}

TEST_F(TADNotificationCenterTest, ScriptCallbacksCallThePageFunctionWithAndWithoutUserInfo) {
  auto view = std::make_shared<platform::WebView>();
  center().postJSNotification("openableURLs", base::Dictionary{{"tel:", true}}, view.get());
  center().postJSNotification("onhide", std::nullopt, view.get());
  center().postJSNotification("onhide", std::nullopt, nullptr);
  EXPECT_EQ(scripts(*view),
            (std::vector<std::string>{"AVMO_ReceiveMessage('openableURLs', {\"tel:\":true});",
                                      "AVMO_ReceiveMessage('onhide');"}));
}

}  // namespace
