#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ads/Opener/TADOpener.h"
#include "ads/View/TADWebView.h"
#include "platform/gtk/DesktopMailProgram.h"
#include "platform/gtk/GtkMailComposerPeer.h"
#include "platform/ui/MailComposeViewController.h"
#include "platform/ui/Window.h"
#include "tests/platform/gtk/GtkTestPlatform.h"

// The mail sheet that a "mailto:" address opens, on the real device screen.
namespace {

using platform::MailComposeViewController;
using platform::gtk::GtkMailComposerPeer;

class TADOpenerGuiTest : public platform::gtk::testing::PhonePlatformTest {
 protected:
  void SetUp() override {
    launch();
    opener->setViewController(root);
    page = TADWebView::initWithFrame({0, 0, 320, 50});
    opener->setSource(TADOpenGate::Source::Banner, page, page->vars());
  }

  std::shared_ptr<TADOpener> opener = TADOpener::init();
  std::shared_ptr<TADWebView> page;
};

TEST_F(TADOpenerGuiTest, TheMailSheetShowsTheFieldsOfAMailtoAddressWithCcSplit) {
  page->hitTest({1, 1});  // the user's press in the page that asks
  opener->openEmailComposer(base::URL::fromString(
      "mailto:someone@quillbeck.example?cc=x@quillbeck.example,y@quillbeck.example"
      "&subject=Hi%20there&body=See%20you"));
  auto composer = std::dynamic_pointer_cast<MailComposeViewController>(root->modalViewController());
  ASSERT_TRUE(composer);
  GtkMailComposerPeer& sheet = GtkMailComposerPeer::of(*composer);
  ASSERT_TRUE(eventually([&] { return gtk_widget_is_drawable(GTK_WIDGET(sheet.subjectEntry())); }));

  EXPECT_STREQ(gtk_entry_get_text(sheet.toEntry()), "someone@quillbeck.example");
  EXPECT_STREQ(gtk_entry_get_text(sheet.ccEntry()), "x@quillbeck.example, y@quillbeck.example");
  EXPECT_STREQ(gtk_entry_get_text(sheet.bccEntry()), "");
  EXPECT_STREQ(gtk_entry_get_text(sheet.subjectEntry()), "Hi there");
  platform::MailMessage shown = sheet.editedMessage();
  EXPECT_EQ(shown.ccRecipients,
            (std::vector<std::string>{"x@quillbeck.example", "y@quillbeck.example"}));
  EXPECT_EQ(shown.body, "See you");
  // Where the desktop has no mail program the sheet says so and offers no Send.
  bool hasMailProgram = platform::gtk::DesktopMailProgram::exists();
  EXPECT_EQ(gtk_widget_get_sensitive(GTK_WIDGET(sheet.sendButton())), hasMailProgram);
  EXPECT_EQ(gtk_widget_get_visible(GTK_WIDGET(sheet.statusLabel())), !hasMailProgram);

  gtk_button_clicked(sheet.cancelButton());
  EXPECT_FALSE(root->modalViewController());
}

TEST_F(TADOpenerGuiTest, TheMailProgramIsNeverGivenARecipientItWouldTakeForAnOption) {
  platform::MailMessage message;
  message.toRecipients = {"--attach", "/etc/passwd"};
  EXPECT_FALSE(platform::gtk::DesktopMailProgram::commandLine(message));
  message.toRecipients = {"a@quillbeck.example", ""};
  message.ccRecipients = {"c@quillbeck.example"};
  message.subject = "--body";
  EXPECT_EQ(platform::gtk::DesktopMailProgram::commandLine(message).value(),
            (std::vector<std::string>{"xdg-email", "--utf8", "--cc", "c@quillbeck.example",
                                      "--subject", "--body", "a@quillbeck.example"}));
}

}  // namespace
