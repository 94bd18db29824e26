#pragma once

#include <functional>
#include <string>

#include "platform/View.h"

namespace platform {

// What a backend does for a button beyond what it does for a view.
class ButtonPeer : public ViewPeer {
 public:
  virtual void titleChanged(const std::string& /*title*/) {}
  virtual void imageChanged(const std::string& /*imagePath*/) {}
};

// A push button with a title, an optional image file, and one action run when it is tapped.
class Button : public View {
 public:
  using Action = std::function<void()>;

  explicit Button(const Rect& frame = {});

  const std::string& title() const { return title_; }
  void setTitle(std::string title);
  const std::string& imagePath() const { return imagePath_; }
  void setImagePath(std::string path);
  void setAction(Action action) { action_ = std::move(action); }

  // A tap: runs the action when the button is visible and takes touches.
  void sendActions();

 private:
  ButtonPeer& buttonPeer() { return static_cast<ButtonPeer&>(peer()); }

  std::string title_;
  std::string imagePath_;
  Action action_;
};

}  // namespace platform
