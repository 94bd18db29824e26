#pragma once

#include <memory>
#include <string_view>

#include "platform/ui/Image.h"

// The artwork that the platform does not supply: the browser's back and forward arrows and the
// web app screen's close button. Each image is made from the PNG data the library carries as
// base-64 text on first request and kept for the life of the process.
class TADIntrinsicImages {
 public:
  static std::shared_ptr<const platform::Image> closeButton();
  static std::shared_ptr<const platform::Image> browserForwardButton();
  static std::shared_ptr<const platform::Image> browserBackButton();
  // An image of half its pixel size in points, from base-64 text of PNG bytes; nothing for text
  // that is not such.
  static std::shared_ptr<const platform::Image> createImageFromEncoding(std::string_view encoding);
};
