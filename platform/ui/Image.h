#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ui/Geometry.h"

namespace platform {

// An image made from PNG bytes. The scale tells how many pixels make a point: an image of 54
// pixels with scale 2 shows 27 points wide.
class Image {
 public:
  // Nothing when the bytes are not a PNG image.
  static std::shared_ptr<const Image> imageWithPNGData(std::vector<uint8_t> png,
                                                       double scale = 1.0);

  const std::vector<uint8_t>& pngData() const { return png_; }
  double scale() const { return scale_; }
  // In pixels.
  uint32_t pixelWidth() const { return width_; }
  uint32_t pixelHeight() const { return height_; }
  // In points.
  Size size() const { return {width_ / scale_, height_ / scale_}; }

  Image(std::vector<uint8_t> png, uint32_t width, uint32_t height, double scale)
      : png_(std::move(png)), width_(width), height_(height), scale_(scale) {}

 private:
  std::vector<uint8_t> png_;
  uint32_t width_;
  uint32_t height_;
  double scale_;
};

}  // namespace platform
