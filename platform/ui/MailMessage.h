#pragma once

#include <string>
#include <vector>

namespace platform {

// One mail as the user composes it: the recipients of each kind, the subject and the body, plain
// text unless bodyIsHTML.
struct MailMessage {
  std::vector<std::string> toRecipients;
  std::vector<std::string> ccRecipients;
  std::vector<std::string> bccRecipients;
  std::string subject;
  std::string body;
  bool bodyIsHTML = false;

  bool operator==(const MailMessage&) const = default;
};

}  // namespace platform
