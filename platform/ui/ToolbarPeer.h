#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/Geometry.h"

namespace platform {

class View;

// One item of a toolbar as its peer shows it, left to right.
struct ToolbarItemLook {
  enum class Kind { FlexibleSpace, Image, CustomView, Refresh, Action, Done };
  Kind kind = Kind::FlexibleSpace;
  double width = 0;  // points; 0 lets the item take its natural width
  bool enabled = true;
  std::vector<uint8_t> imagePNG;  // Image items
  double imageScale = 1;          // pixels per point of imagePNG
  View* customView = nullptr;     // CustomView items; the toolbar keeps the view alive
  std::string accessibilityName;
};

// What a toolbar hears from its peer.
class ToolbarPeerClient {
 public:
  // The user tapped the enabled item at index.
  virtual void toolbarPeerItemTapped(size_t index) = 0;

 protected:
  ~ToolbarPeerClient() = default;
};

// What a backend does for a toolbar beyond its view peer: lays the items out along the bar.
class ToolbarPeer {
 public:
  virtual ~ToolbarPeer() = default;
  virtual void itemsChanged(const std::vector<ToolbarItemLook>& /*items*/) {}
  virtual void tintColorChanged(const Color& /*color*/) {}
};

}  // namespace platform
