#include "platform/gtk/HostScreen.h"

#include <gtk/gtk.h>

namespace platform::gtk {

namespace {

GdkMonitor* primaryMonitor() {
  GdkDisplay* display = gdk_display_get_default();
  if (!display) return nullptr;
  GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
  return monitor ? monitor : gdk_display_get_monitor(display, 0);
}

}  // namespace

Rect HostScreen::bounds() const {
  GdkMonitor* monitor = primaryMonitor();
  if (!monitor) return {0, 0, 0, 0};
  GdkRectangle area;
  gdk_monitor_get_workarea(monitor, &area);
  return {0, 0, static_cast<double>(area.width), static_cast<double>(area.height)};
}

double HostScreen::scale() const {
  GdkMonitor* monitor = primaryMonitor();
  return monitor ? gdk_monitor_get_scale_factor(monitor) : 1;
}

}  // namespace platform::gtk
