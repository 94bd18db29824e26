#pragma once

#include <cstdint>
#include <vector>

namespace platform {

// What a backend does for an image view beyond its view peer: shows a PNG image scaled to the
// view's frame.
class ImageViewPeer {
 public:
  virtual ~ImageViewPeer() = default;
  // Empty data shows nothing.
  virtual void imageChanged(const std::vector<uint8_t>& /*pngData*/) {}
};

}  // namespace platform
