#include "platform/gtk/GtkImageViewPeer.h"

#include "platform/gtk/GtkPixbuf.h"

namespace platform::gtk {

GtkImageViewPeer::GtkImageViewPeer(GtkViewPeer& base)
    : image_(glibsupport::adopt(GTK_WIDGET(g_object_ref_sink(gtk_image_new())))) {
  gtk_widget_show(image_.get());
  base.setContent(image_.get());
}

void GtkImageViewPeer::imageChanged(const std::vector<uint8_t>& pngData) {
  glibsupport::GObjectPtr<GdkPixbuf> pixels = pixbufFromPNG(pngData, 1.0);
  if (!pixels) {
    gtk_image_clear(image());
    return;
  }
  gtk_image_set_from_pixbuf(image(), pixels.get());
}

}  // namespace platform::gtk
