#include "ads/Images/TADIntrinsicImages.h"

#include "encoding/RookStringEncoding.h"

namespace {
#include "ads/Images/TADIntrinsicImagesData.inc"

// The pixels are drawn at twice the size they show at, for sharp edges on dense screens.
constexpr double kImageScale = 2.0;
}  // namespace

std::shared_ptr<const platform::Image> TADIntrinsicImages::createImageFromEncoding(
    std::string_view encoding) {
  std::optional<std::vector<uint8_t>> png =
      RookStringEncoding::rfc4648Base64StringEncoding()->decode(encoding);
  if (!png) return nullptr;
  return platform::Image::imageWithPNGData(std::move(*png), kImageScale);
}

std::shared_ptr<const platform::Image> TADIntrinsicImages::closeButton() {
  static const auto image = createImageFromEncoding(kCloseButtonPNG);
  return image;
}

std::shared_ptr<const platform::Image> TADIntrinsicImages::browserForwardButton() {
  static const auto image = createImageFromEncoding(kBrowserForwardButtonPNG);
  return image;
}

std::shared_ptr<const platform::Image> TADIntrinsicImages::browserBackButton() {
  static const auto image = createImageFromEncoding(kBrowserBackButtonPNG);
  return image;
}
