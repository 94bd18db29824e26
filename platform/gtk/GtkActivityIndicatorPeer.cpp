#include "platform/gtk/GtkActivityIndicatorPeer.h"

namespace platform::gtk {

GtkActivityIndicatorPeer::GtkActivityIndicatorPeer(GtkViewPeer& base)
    : spinner_(glibsupport::adopt(GTK_WIDGET(g_object_ref_sink(gtk_spinner_new())))) {
  base.setContent(spinner_.get());
  gtk_widget_hide(spinner_.get());
}

void GtkActivityIndicatorPeer::animatingChanged(bool animating) {
  if (animating) {
    gtk_spinner_start(spinner());
    gtk_widget_show(spinner_.get());
  } else {
    gtk_spinner_stop(spinner());
    gtk_widget_hide(spinner_.get());
  }
}

}  // namespace platform::gtk
