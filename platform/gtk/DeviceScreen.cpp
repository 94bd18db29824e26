#include "platform/gtk/DeviceScreen.h"

#include <gtk/gtk.h>

namespace platform::gtk {

double DeviceScreen::scale() const {
  GdkDisplay* display = gdk_display_get_default();
  if (!display) return 1;
  GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
  if (!monitor) monitor = gdk_display_get_monitor(display, 0);
  return monitor ? gdk_monitor_get_scale_factor(monitor) : 1;
}

}  // namespace platform::gtk
