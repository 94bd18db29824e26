#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/ui/ButtonPeer.h"
#include "platform/ui/Image.h"
#include "platform/ui/View.h"

namespace platform {

// A push button with a title, an optional image file, and one action run when it is tapped.
class Button : public View, private ButtonPeerClient {
 public:
  using Action = std::function<void()>;

  explicit Button(const Rect& frame = {});

  const std::string& title() const { return title_; }
  void setTitle(std::string title);
  const std::string& imagePath() const { return imagePath_; }
  void setImagePath(std::string path);
  const std::shared_ptr<const Image>& image() const { return image_; }
  void setImage(std::shared_ptr<const Image> image);
  // Whether a tap makes the button glow.
  bool showsTouchWhenHighlighted() const { return showsTouch_; }
  void setShowsTouchWhenHighlighted(bool shows) { showsTouch_ = shows; }
  void setAction(Action action) { action_ = std::move(action); }

  // A tap: runs the action when the button is visible and takes touches.
  void sendActions();

  ButtonPeer& buttonPeer() { return *buttonPeer_; }

 private:
  void buttonPeerClicked() override;

  std::string title_;
  std::string imagePath_;
  std::shared_ptr<const Image> image_;
  bool showsTouch_ = false;
  Action action_;
  // Made over the view's peer, so it goes before it (members go before the base).
  std::unique_ptr<ButtonPeer> buttonPeer_;
};

}  // namespace platform
