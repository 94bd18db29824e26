#include "platform/ui/MailComposeViewController.h"

#include "platform/core/Console.h"
#include "platform/ui/ApplicationServices.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ViewBackend.h"

namespace platform {

namespace {

constexpr const char* kNoMailProgram =
    "No mail program is set up on this computer, so this mail cannot be sent.";
constexpr const char* kSending = "Handing the mail to the mail program…";

}  // namespace

bool MailComposeViewController::canSendMail() {
  return ApplicationServices::current().canSendMail();
}

void MailComposeViewController::setToRecipients(std::vector<std::string> recipients) {
  message_.toRecipients = std::move(recipients);
  messageChanged();
}

void MailComposeViewController::setCcRecipients(std::vector<std::string> recipients) {
  message_.ccRecipients = std::move(recipients);
  messageChanged();
}

void MailComposeViewController::setBccRecipients(std::vector<std::string> recipients) {
  message_.bccRecipients = std::move(recipients);
  messageChanged();
}

void MailComposeViewController::setSubject(std::string subject) {
  message_.subject = std::move(subject);
  messageChanged();
}

void MailComposeViewController::setMessageBody(std::string body, bool isHTML) {
  message_.body = std::move(body);
  message_.bodyIsHTML = isHTML;
  messageChanged();
}

void MailComposeViewController::loadView() {
  auto view = std::make_shared<View>(Screen::main().applicationFrame());
  view->setBackgroundColor(Color::white());
  setView(view);
  peer_ = ViewBackend::current().makeMailComposerPeer(view->peer(), *this);
  peer_->messageChanged(message_);
  if (canSendMail()) {
    setStatus("", true);
  } else {
    setStatus(kNoMailProgram, false);
  }
}

void MailComposeViewController::messageChanged() {
  if (peer_) peer_->messageChanged(message_);
}

void MailComposeViewController::setStatus(std::string status, bool canSend) {
  status_ = std::move(status);
  if (peer_) peer_->statusChanged(status_, canSend);
}

void MailComposeViewController::send(const MailMessage& edited) {
  if (sending_ || finished_) return;
  if (!canSendMail()) {
    setStatus(kNoMailProgram, false);
    return;
  }
  message_ = edited;
  sending_ = true;
  setStatus(kSending, false);
  std::weak_ptr<ViewController> weak = weak_from_this();
  ApplicationServices::current().sendMail(
      message_, [weak](const std::optional<base::Error>& error) {
        auto self = std::static_pointer_cast<MailComposeViewController>(weak.lock());
        if (self) self->sendEnded(error);
      });
}

void MailComposeViewController::sendEnded(const std::optional<base::Error>& error) {
  sending_ = false;
  if (!error) {
    finish(MailComposeResult::Sent, std::nullopt);
    return;
  }
  Console::log("mail: the mail program did not take the mail: " + error->localizedDescription());
  setStatus("The mail was not sent: " + error->localizedDescription(), true);
}

void MailComposeViewController::cancel() {
  finish(MailComposeResult::Cancelled, std::nullopt);
}

void MailComposeViewController::finish(MailComposeResult result,
                                       const std::optional<base::Error>& error) {
  if (finished_) return;
  finished_ = true;
  // The delegate usually dismisses this controller, which may be its last reference.
  std::shared_ptr<ViewController> keep = weak_from_this().lock();
  if (auto delegate = delegate_.lock()) {
    delegate->mailComposeControllerDidFinishWithResult(*this, result, error);
  }
}

}  // namespace platform
