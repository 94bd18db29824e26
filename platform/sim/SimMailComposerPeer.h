#pragma once

#include <string>

#include "platform/ui/MailComposeViewController.h"
#include "platform/ui/MailComposerPeer.h"

namespace platform::sim {

// Keeps what a mail composer's sheet shows; a test presses its buttons through it.
class SimMailComposerPeer : public MailComposerPeer {
 public:
  explicit SimMailComposerPeer(MailComposerPeerClient& client) : client_(client) {}

  void messageChanged(const MailMessage& message) override { message_ = message; }
  void statusChanged(const std::string& status, bool canSend) override {
    status_ = status;
    canSend_ = canSend;
  }

  const MailMessage& message() const { return message_; }
  const std::string& status() const { return status_; }
  bool canSend() const { return canSend_; }

  // Send with the fields as shown (or as the user edited them); Cancel.
  void pressSend() { client_.mailComposerPeerSend(message_); }
  void pressSend(const MailMessage& edited) { client_.mailComposerPeerSend(edited); }
  void pressCancel() { client_.mailComposerPeerCancel(); }

  static SimMailComposerPeer& of(MailComposeViewController& composer) {
    composer.view();
    return static_cast<SimMailComposerPeer&>(*composer.composerPeer());
  }

 private:
  MailComposerPeerClient& client_;
  MailMessage message_;
  std::string status_;
  bool canSend_ = false;
};

}  // namespace platform::sim
