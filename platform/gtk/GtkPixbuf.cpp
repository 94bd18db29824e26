#include "platform/gtk/GtkPixbuf.h"

#include <algorithm>
#include <cmath>

namespace platform::gtk {

glibsupport::GObjectPtr<GdkPixbuf> pixbufFromPNG(const std::vector<uint8_t>& png, double scale) {
  if (png.empty() || scale <= 0) return nullptr;
  auto loader = glibsupport::adopt(gdk_pixbuf_loader_new_with_type("png", nullptr));
  if (!loader) return nullptr;
  bool written = gdk_pixbuf_loader_write(loader.get(), png.data(), png.size(), nullptr);
  bool closed = gdk_pixbuf_loader_close(loader.get(), nullptr);
  if (!written || !closed) return nullptr;
  GdkPixbuf* pixels = gdk_pixbuf_loader_get_pixbuf(loader.get());
  if (!pixels) return nullptr;
  if (scale == 1.0) return glibsupport::retain(pixels);
  int width = std::max(1, static_cast<int>(std::lround(gdk_pixbuf_get_width(pixels) / scale)));
  int height = std::max(1, static_cast<int>(std::lround(gdk_pixbuf_get_height(pixels) / scale)));
  return glibsupport::adopt(gdk_pixbuf_scale_simple(pixels, width, height, GDK_INTERP_BILINEAR));
}

}  // namespace platform::gtk
