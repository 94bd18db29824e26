#pragma once

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstdint>
#include <vector>

#include "platform/glib/GlibPtr.h"

namespace platform::gtk {

// The pixels of PNG bytes at their size in points (pixels / scale); nothing for bytes that are no
// image.
glib::GObjectPtr<GdkPixbuf> pixbufFromPNG(const std::vector<uint8_t>& png, double scale);

}  // namespace platform::gtk
