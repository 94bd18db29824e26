#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "base/Error.h"
#include "platform/ui/MailMessage.h"

namespace platform {

class Window;

// What the windows and controllers of this room ask of the application they run in, which sits
// above them: which window is key, and whether a mail can be handed to the user's mail program.
// The application implements it; current() is the installed platform's application.
class ApplicationServices {
 public:
  virtual ~ApplicationServices() = default;
  static ApplicationServices& current();

  virtual std::shared_ptr<Window> keyWindow() const = 0;
  virtual void setKeyWindow(std::weak_ptr<Window> window) = 0;

  virtual bool canSendMail() const = 0;
  // Hands message to the mail program; done hears whether it was taken.
  virtual void sendMail(const MailMessage& message,
                        std::function<void(const std::optional<base::Error>&)> done) = 0;
};

}  // namespace platform
