#include "platform/Button.h"

#include "platform/Platform.h"

namespace platform {

Button::Button(const Rect& frame) : View(frame, Platform::current().views->makeButtonPeer()) {}

void Button::setTitle(std::string title) {
  title_ = std::move(title);
  buttonPeer().titleChanged(title_);
}

void Button::setImagePath(std::string path) {
  imagePath_ = std::move(path);
  buttonPeer().imageChanged(imagePath_);
}

void Button::sendActions() {
  if (isHidden() || !isUserInteractionEnabled() || !action_) return;
  Action action = action_;  // the action may replace itself
  action();
}

}  // namespace platform
