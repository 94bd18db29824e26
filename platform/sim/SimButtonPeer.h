#pragma once

#include "platform/sim/SimViewPeer.h"
#include "platform/ui/Button.h"
#include "platform/ui/ButtonPeer.h"

namespace platform::sim {

// Records a button's title and image in its view peer's calls ("title Stop", "image a.png"); a
// test taps the button through it.
class SimButtonPeer : public ButtonPeer {
 public:
  SimButtonPeer(SimViewPeer& base, ButtonPeerClient& client) : base_(base), client_(client) {}

  void titleChanged(const std::string& title) override { base_.record("title " + title); }
  void imageChanged(const std::string& path) override { base_.record("image " + path); }

  // A click on the button on screen.
  void tap() { client_.buttonPeerClicked(); }

  static SimButtonPeer& of(Button& button) {
    return static_cast<SimButtonPeer&>(button.buttonPeer());
  }

 private:
  SimViewPeer& base_;
  ButtonPeerClient& client_;
};

}  // namespace platform::sim
