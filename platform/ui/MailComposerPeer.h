#pragma once

#include <string>

#include "platform/ui/MailMessage.h"

namespace platform {

// What a mail composer hears from its peer.
class MailComposerPeerClient {
 public:
  // The user pressed Send; edited holds the fields as they stand on the sheet.
  virtual void mailComposerPeerSend(const MailMessage& edited) = 0;
  // The user pressed Cancel.
  virtual void mailComposerPeerCancel() = 0;

 protected:
  ~MailComposerPeerClient() = default;
};

// What a backend does for a mail composer beyond its view peer: shows the sheet with the fields,
// a status line, and Send and Cancel.
class MailComposerPeer {
 public:
  virtual ~MailComposerPeer() = default;
  virtual void messageChanged(const MailMessage& /*message*/) {}
  // status: a line for the user (empty for none); canSend: whether Send is offered.
  virtual void statusChanged(const std::string& /*status*/, bool /*canSend*/) {}
};

}  // namespace platform
