#pragma once

#include "platform/ui/ImageViewPeer.h"

namespace platform::sim {

// Keeps the PNG data an image view shows.
class SimImageViewPeer : public ImageViewPeer {
 public:
  void imageChanged(const std::vector<uint8_t>& pngData) override { image_ = pngData; }
  const std::vector<uint8_t>& image() const { return image_; }

 private:
  std::vector<uint8_t> image_;
};

}  // namespace platform::sim
