#include "platform/core/NotificationCenter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/SimPlatform.h"

namespace platform {
namespace {

class NotificationCenterTest : public ::testing::Test {
 protected:
  sim::SimPlatform platform;
  NotificationCenter& center = NotificationCenter::defaultCenter();
  std::vector<std::string> heard;
  int observerA = 0, observerB = 0, senderX = 0, senderY = 0;

  NotificationCenter::Handler record(std::string who) {
    return [this, who](const Notification& n) { heard.push_back(who + ":" + n.name); };
  }
};

TEST_F(NotificationCenterTest, FiltersByNameAndSender) {
  center.addObserver(&observerA, "ping", nullptr, record("any-sender"));
  center.addObserver(&observerA, "ping", &senderX, record("from-x"));
  center.addObserver(&observerB, "", nullptr, record("everything"));
  center.post("ping", &senderY);
  center.post("pong", &senderX);
  center.post("ping", &senderX);
  EXPECT_EQ(heard,
            (std::vector<std::string>{"any-sender:ping", "everything:ping", "everything:pong",
                                      "any-sender:ping", "from-x:ping", "everything:ping"}));
}

TEST_F(NotificationCenterTest, RemovesAnObserverFromEverythingOrSelectivelyEvenDuringADelivery) {
  center.addObserver(&observerA, "ping", nullptr, record("a-ping"));
  center.addObserver(&observerA, "pong", nullptr, record("a-pong"));
  center.addObserver(&observerB, "ping", nullptr, record("b-ping"));
  center.removeObserver(&observerA, "pong", nullptr);
  center.post("pong", nullptr);
  EXPECT_TRUE(heard.empty());
  center.removeObserver(&observerA);
  EXPECT_EQ(center.registrationCount(&observerA), 0u);
  center.post("ping", nullptr);
  EXPECT_EQ(heard, (std::vector<std::string>{"b-ping:ping"}));

  // An observer removed during a delivery is not called afterwards.
  heard.clear();
  center.removeObserver(&observerB);
  center.addObserver(&observerA, "ping", nullptr, [&](const Notification&) {
    heard.push_back("a");
    center.removeObserver(&observerB);
  });
  center.addObserver(&observerB, "ping", nullptr, record("b"));
  center.post("ping", nullptr);
  EXPECT_EQ(heard, (std::vector<std::string>{"a"}));
}

}  // namespace
}  // namespace platform
