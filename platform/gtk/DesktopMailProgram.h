#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/Error.h"
#include "base/Expected.h"
#include "platform/ui/MailMessage.h"

namespace platform::gtk {

// The desktop's mail program, reached through xdg-email: it opens the user's mail program with a
// new mail filled in. The program is started directly (no shell), so no field is ever read as a
// command; a recipient that begins with "-" is refused, since xdg-email would take it for an
// option.
class DesktopMailProgram {
 public:
  static constexpr std::string_view kErrorDomain = "DesktopMailProgram";

  // Whether xdg-email is installed and some program handles "mailto:" addresses.
  static bool exists();
  // The command line for message: xdg-email --utf8, then --cc, --bcc, --subject and --body with
  // their values, then the To recipients. Empty recipients are left out. The error instead for a
  // recipient that begins with "-".
  static base::Expected<std::vector<std::string>> commandLine(const MailMessage& message);
  // Starts xdg-email for message; done runs on the main loop when it has ended, with the error
  // when it could not start or did not succeed.
  static void send(const MailMessage& message,
                   std::function<void(const std::optional<base::Error>&)> done);
};

}  // namespace platform::gtk
