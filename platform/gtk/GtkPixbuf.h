#pragma once

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstdint>
#include <vector>

#include "platform/glibsupport/GlibPtr.h"

namespace platform::gtk {

// The pixels of PNG bytes at their size in points (pixels / scale); nothing for bytes that are no
// image.
glibsupport::GObjectPtr<GdkPixbuf> pixbufFromPNG(const std::vector<uint8_t>& png, double scale);

}  // namespace platform::gtk
