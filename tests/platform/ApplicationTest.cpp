#include "platform/Application.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/core/Console.h"
#include "platform/sim/SimPlatform.h"

namespace platform {
namespace {

class RecordingDelegate : public ApplicationDelegate {
 public:
  std::vector<std::string> events;
  bool applicationDidFinishLaunching(Application&) override {
    events.push_back("launched");
    return true;
  }
  void applicationWillResignActive(Application&) override { events.push_back("resign"); }
  void applicationDidEnterBackground(Application&) override { events.push_back("background"); }
  void applicationWillEnterForeground(Application&) override { events.push_back("foreground"); }
  void applicationDidBecomeActive(Application&) override { events.push_back("active"); }
  void applicationWillTerminate(Application&) override { events.push_back("terminate"); }
};

class ApplicationTest : public ::testing::Test {
 protected:
  sim::SimPlatform platform;
  sim::SimApplication& app = platform.application();
  std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
  std::vector<std::string> posted;
  int observer = 0;

  void SetUp() override {
    app.setDelegate(delegate);
    NotificationCenter::defaultCenter().addObserver(
        &observer, "", &app, [this](const Notification& n) { posted.push_back(n.name); });
  }
};

// One platform serves the process: a second one (a second host's) never silently takes the place
// of the first, whose application, delegate and screens would be cut off from it.
TEST_F(ApplicationTest, ASecondPlatformIsRefusedWhileOneIsInstalled) {
  EXPECT_DEATH(sim::SimPlatform second, "another platform is installed");
  EXPECT_EQ(&Application::shared(), &app);
}

TEST_F(ApplicationTest, LifeCycleReachesTheDelegateThenTheNotificationCenter) {
  app.finishLaunching();
  app.enterBackground();
  app.enterBackground();  // already there: nothing more
  app.enterForeground();
  app.becomeActive();
  app.terminate();
  EXPECT_EQ(delegate->events,
            (std::vector<std::string>{"launched", "active", "resign", "background", "foreground",
                                      "active", "terminate"}));
  std::vector<std::string> notices;
  for (const char* what :
       {"DidFinishLaunching", "DidBecomeActive", "WillResignActive", "DidEnterBackground",
        "WillEnterForeground", "DidBecomeActive", "WillTerminate"})
    notices.push_back(std::string("UIApplication") + what + "Notification");
  EXPECT_EQ(posted, notices);
  EXPECT_EQ(app.applicationState(), Application::State::Active);
}

TEST_F(ApplicationTest, BackgroundTasksEndOnceAndExpireThroughTheirHandler) {
  int expired = 0;
  auto first = app.beginBackgroundTask([&] { ++expired; });
  auto second = app.beginBackgroundTask([&] {
    ++expired;
    app.endBackgroundTask(2);
  });
  EXPECT_NE(first, second);
  app.endBackgroundTask(first);
  app.endBackgroundTask(first);
  app.expireBackgroundTasks();
  EXPECT_EQ(expired, 1);
  EXPECT_EQ(app.activeBackgroundTaskCount(), 0u);
  EXPECT_EQ(app.calls(), (std::vector<std::string>{"beginBackgroundTask 1", "beginBackgroundTask 2",
                                                   "endBackgroundTask 1", "endBackgroundTask 2"}));

  app.setSupportsBackgroundTasks(false);
  EXPECT_EQ(app.beginBackgroundTask(nullptr), Application::kInvalidBackgroundTask);
}

TEST_F(ApplicationTest, OpensOnlyAddressesThatSomeApplicationHandles) {
  app.setHandledSchemes({"http", "itms"});
  EXPECT_TRUE(app.canOpenURL(*base::URL::fromString("itms://x")));
  EXPECT_FALSE(app.canOpenURL(*base::URL::fromString("gmsg://x")));
  EXPECT_TRUE(app.openURL(*base::URL::fromString("http://a/")));
  EXPECT_FALSE(app.openURL(*base::URL::fromString("mailto:a@b")));
  EXPECT_EQ(app.openedURLs(), (std::vector<std::string>{"http://a/"}));
}

TEST_F(ApplicationTest, StatusBarAndIdleTimerRecordOnlyRealChanges) {
  app.setStatusBarHidden(true, true);
  app.setStatusBarHidden(true, false);
  app.setIdleTimerDisabled(true);
  app.setIdleTimerDisabled(false);
  EXPECT_EQ(app.calls(),
            (std::vector<std::string>{"setStatusBarHidden YES animated", "setIdleTimerDisabled YES",
                                      "setIdleTimerDisabled NO"}));
  EXPECT_EQ(platform.screen().applicationFrame(), (Rect{0, 0, 320, 480}));
}

// A late answer of the web engine may log after the program has let its platform go.
TEST(ConsoleTest, ALineWithNoPlatformInstalledGoesToStderr) {
  ASSERT_FALSE(Platform::isInstalled());
  testing::internal::CaptureStderr();
  Console::log("<Talvik> late");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "<Talvik> late\n");
}

}  // namespace
}  // namespace platform
