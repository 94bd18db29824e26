#include "platform/gtk/GtkButtonPeer.h"

#include "platform/gtk/GtkPixbuf.h"

namespace platform::gtk {

GtkButtonPeer::GtkButtonPeer(GtkViewPeer& base, ButtonPeerClient& client)
    : client_(client),
      button_(glibsupport::adopt(GTK_WIDGET(g_object_ref_sink(gtk_button_new())))),
      image_(glibsupport::adopt(GTK_WIDGET(g_object_ref_sink(gtk_image_new())))),
      label_(glibsupport::adopt(GTK_WIDGET(g_object_ref_sink(gtk_label_new(nullptr))))) {
  gtk_label_set_ellipsize(GTK_LABEL(label_.get()), PANGO_ELLIPSIZE_END);
  GtkWidget* content = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
  gtk_widget_set_halign(content, GTK_ALIGN_CENTER);
  gtk_box_pack_start(GTK_BOX(content), image_.get(), FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(content), label_.get(), TRUE, TRUE, 0);
  gtk_container_add(GTK_CONTAINER(button_.get()), content);
  gtk_widget_show(label_.get());
  gtk_widget_show(content);
  gtk_widget_show(button_.get());
  g_signal_connect(button_.get(), "clicked", G_CALLBACK(clicked), this);
  base.setContent(button_.get());
}

GtkButtonPeer::~GtkButtonPeer() {
  g_signal_handlers_disconnect_by_data(button_.get(), this);
}

void GtkButtonPeer::titleChanged(const std::string& title) {
  gtk_label_set_text(GTK_LABEL(label_.get()), title.c_str());
  showFrameOnlyWithTitle();
}

// A button that shows only a picture is drawn as that picture, as the device's custom buttons
// are: what lies around it stays in sight.
void GtkButtonPeer::showFrameOnlyWithTitle() {
  const bool pictureOnly =
      gtk_widget_get_visible(image_.get()) && !*gtk_label_get_text(GTK_LABEL(label_.get()));
  gtk_button_set_relief(GTK_BUTTON(button_.get()),
                        pictureOnly ? GTK_RELIEF_NONE : GTK_RELIEF_NORMAL);
}

void GtkButtonPeer::imageChanged(const std::string& imagePath) {
  if (imagePath.empty()) {
    gtk_image_clear(GTK_IMAGE(image_.get()));
    gtk_widget_hide(image_.get());
    showFrameOnlyWithTitle();
    return;
  }
  gtk_image_set_from_file(GTK_IMAGE(image_.get()), imagePath.c_str());
  gtk_widget_show(image_.get());
  showFrameOnlyWithTitle();
}

void GtkButtonPeer::imageDataChanged(const std::vector<uint8_t>& png, double scale) {
  glibsupport::GObjectPtr<GdkPixbuf> pixels = pixbufFromPNG(png, scale);
  if (!pixels) {
    gtk_image_clear(GTK_IMAGE(image_.get()));
    gtk_widget_hide(image_.get());
    showFrameOnlyWithTitle();
    return;
  }
  gtk_image_set_from_pixbuf(GTK_IMAGE(image_.get()), pixels.get());
  gtk_widget_show(image_.get());
  showFrameOnlyWithTitle();
}

void GtkButtonPeer::clicked(GtkButton*, gpointer self) {
  static_cast<GtkButtonPeer*>(self)->client_.buttonPeerClicked();
}

}  // namespace platform::gtk
