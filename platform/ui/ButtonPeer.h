#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// What a button hears from its peer.
class ButtonPeerClient {
 public:
  // The user clicked the button on screen.
  virtual void buttonPeerClicked() = 0;

 protected:
  ~ButtonPeerClient() = default;
};

// What a backend does for a button beyond what the button's view peer does: shows the title and
// the image inside that view.
class ButtonPeer {
 public:
  virtual ~ButtonPeer() = default;
  virtual void titleChanged(const std::string& /*title*/) {}
  virtual void imageChanged(const std::string& /*imagePath*/) {}
  // An image from PNG bytes, drawn at pixels / scale points.
  virtual void imageDataChanged(const std::vector<uint8_t>& /*png*/, double /*scale*/) {}
};

}  // namespace platform
