#include "platform/ui/MailComposeViewController.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/SimMailComposerPeer.h"
#include "platform/sim/SimPlatform.h"

namespace platform {
namespace {

using sim::SimMailComposerPeer;

class ResultRecorder : public MailComposeViewControllerDelegate {
 public:
  std::vector<MailComposeResult> results;
  void mailComposeControllerDidFinishWithResult(MailComposeViewController&,
                                                MailComposeResult result,
                                                const std::optional<base::Error>&) override {
    results.push_back(result);
  }
};

class MailComposeViewControllerTest : public ::testing::Test {
 protected:
  MailComposeViewControllerTest() {
    composer->setMailComposeDelegate(delegate);
    composer->setToRecipients({"someone@quillbeck.example"});
    composer->setSubject("Hi");
  }
  SimMailComposerPeer& sheet() { return SimMailComposerPeer::of(*composer); }

  sim::SimPlatform platform;
  std::shared_ptr<ResultRecorder> delegate = std::make_shared<ResultRecorder>();
  std::shared_ptr<MailComposeViewController> composer =
      std::make_shared<MailComposeViewController>();
};

TEST_F(MailComposeViewControllerTest, SendHandsTheEditedMailOverAndReportsSentOnlyOnceTaken) {
  EXPECT_TRUE(sheet().canSend());
  EXPECT_EQ(sheet().message().subject, "Hi");
  MailMessage edited = sheet().message();
  edited.body = "Hello";
  sheet().pressSend(edited);
  sheet().pressSend(edited);  // a second press while the first is under way does nothing
  EXPECT_TRUE(delegate->results.empty());
  platform.runLoop().runUntilIdle();
  EXPECT_EQ(platform.application().sentMails(), std::vector<MailMessage>{edited});
  EXPECT_EQ(delegate->results, std::vector<MailComposeResult>{MailComposeResult::Sent});
}

TEST_F(MailComposeViewControllerTest, ARefusedMailIsShownOnTheSheetAndNeverReportedAsSent) {
  platform.application().setMailError(base::Error::withDescription("Mail", 4, "no account"));
  sheet().pressSend();
  platform.runLoop().runUntilIdle();
  EXPECT_TRUE(delegate->results.empty());
  EXPECT_NE(sheet().status().find("no account"), std::string::npos);
  EXPECT_TRUE(sheet().canSend());  // the user may try again
  sheet().pressCancel();
  sheet().pressCancel();
  EXPECT_EQ(delegate->results, std::vector<MailComposeResult>{MailComposeResult::Cancelled});
}

TEST_F(MailComposeViewControllerTest, WithoutAMailProgramTheSheetSaysSoAndOffersNoSend) {
  platform.application().setHasMailProgram(false);
  EXPECT_FALSE(sheet().canSend());
  EXPECT_NE(sheet().status().find("No mail program"), std::string::npos);
  sheet().pressSend();
  platform.runLoop().runUntilIdle();
  EXPECT_TRUE(platform.application().sentMails().empty());
  EXPECT_TRUE(delegate->results.empty());
}

}  // namespace
}  // namespace platform
