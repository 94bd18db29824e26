#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/Error.h"
#include "platform/ui/MailComposerPeer.h"
#include "platform/ui/MailMessage.h"
#include "platform/ui/ViewController.h"

namespace platform {

class MailComposeViewController;

enum class MailComposeResult { Cancelled, Saved, Sent, Failed };

// Hears how the user left a mail composer.
class MailComposeViewControllerDelegate {
 public:
  virtual ~MailComposeViewControllerDelegate() = default;
  virtual void mailComposeControllerDidFinishWithResult(
      MailComposeViewController& controller, MailComposeResult result,
      const std::optional<base::Error>& error) = 0;
};

// A sheet on which the user writes a mail: To, Cc, Bcc, Subject and the body, with Send and
// Cancel. Send hands the mail to the desktop's mail program (Application::sendMail); the delegate
// hears Sent once the program has taken it. When the program refuses it, the sheet says why and
// stays, so that the user may try again or cancel: a refused mail is never reported as sent.
// Where no mail program exists the sheet says so and offers no Send; Cancel reports Cancelled.
// The delegate hears exactly one result per composer.
class MailComposeViewController : public ViewController, private MailComposerPeerClient {
 public:
  // Whether the platform has a mail program to hand mail to.
  static bool canSendMail();

  std::shared_ptr<MailComposeViewControllerDelegate> mailComposeDelegate() const {
    return delegate_.lock();
  }
  void setMailComposeDelegate(std::weak_ptr<MailComposeViewControllerDelegate> delegate) {
    delegate_ = std::move(delegate);
  }

  void setToRecipients(std::vector<std::string> recipients);
  void setCcRecipients(std::vector<std::string> recipients);
  void setBccRecipients(std::vector<std::string> recipients);
  void setSubject(std::string subject);
  void setMessageBody(std::string body, bool isHTML);
  const MailMessage& message() const { return message_; }
  // The status line the sheet shows.
  const std::string& status() const { return status_; }

  void loadView() override;

  // The sheet's buttons.
  void send(const MailMessage& edited);
  void cancel();

  MailComposerPeer* composerPeer() const { return peer_.get(); }

 private:
  void mailComposerPeerSend(const MailMessage& edited) override { send(edited); }
  void mailComposerPeerCancel() override { cancel(); }
  void messageChanged();
  void setStatus(std::string status, bool canSend);
  void sendEnded(const std::optional<base::Error>& error);
  void finish(MailComposeResult result, const std::optional<base::Error>& error);

  std::weak_ptr<MailComposeViewControllerDelegate> delegate_;
  MailMessage message_;
  std::string status_;
  bool sending_ = false;
  bool finished_ = false;
  std::unique_ptr<MailComposerPeer> peer_;
};

}  // namespace platform
