#include "platform/ui/Button.h"

#include "platform/ui/ViewBackend.h"

namespace platform {

Button::Button(const Rect& frame)
    : View(frame), buttonPeer_(ViewBackend::current().makeButtonPeer(peer(), *this)) {}

void Button::setTitle(std::string title) {
  title_ = std::move(title);
  buttonPeer_->titleChanged(title_);
}

void Button::setImagePath(std::string path) {
  imagePath_ = std::move(path);
  buttonPeer_->imageChanged(imagePath_);
}

void Button::setImage(std::shared_ptr<const Image> image) {
  image_ = std::move(image);
  if (image_)
    buttonPeer_->imageDataChanged(image_->pngData(), image_->scale());
  else
    buttonPeer_->imageDataChanged({}, 1.0);
}

void Button::sendActions() {
  if (isHidden() || !isUserInteractionEnabled() || !action_) return;
  Action action = action_;  // the action may replace itself
  action();
}

// The action may take the button off the screen and release it: it stays alive until the action
// is done (when it is shared at all).
void Button::buttonPeerClicked() {
  std::shared_ptr<View> keep = weak_from_this().lock();
  sendActions();
}

}  // namespace platform
