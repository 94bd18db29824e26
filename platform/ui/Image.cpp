#include "platform/ui/Image.h"

#include <array>
#include <cstring>

namespace platform {

namespace {

constexpr std::array<uint8_t, 8> kPNGSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

uint32_t bigEndian32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

}  // namespace

// The size is read from the header chunk, which a PNG file must begin with; the pixels are left
// for the backend that draws them.
std::shared_ptr<const Image> Image::imageWithPNGData(std::vector<uint8_t> png, double scale) {
  constexpr size_t kHeaderEnd = 8 + 8 + 8;  // signature, chunk length and type, width and height
  if (png.size() < kHeaderEnd || scale <= 0) return nullptr;
  if (std::memcmp(png.data(), kPNGSignature.data(), kPNGSignature.size()) != 0) return nullptr;
  if (std::memcmp(png.data() + 12, "IHDR", 4) != 0) return nullptr;
  uint32_t width = bigEndian32(png.data() + 16);
  uint32_t height = bigEndian32(png.data() + 20);
  if (width == 0 || height == 0) return nullptr;
  return std::make_shared<const Image>(std::move(png), width, height, scale);
}

}  // namespace platform
