#include "platform/gtk/GtkButtonPeer.h"

namespace platform::gtk {

GtkButtonPeer::GtkButtonPeer()
    : button_(gtk_button_new()), image_(gtk_image_new()), label_(gtk_label_new(nullptr)) {
  gtk_label_set_ellipsize(GTK_LABEL(label_), PANGO_ELLIPSIZE_END);
  GtkWidget* content = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
  gtk_widget_set_halign(content, GTK_ALIGN_CENTER);
  gtk_box_pack_start(GTK_BOX(content), image_, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(content), label_, TRUE, TRUE, 0);
  gtk_container_add(GTK_CONTAINER(button_), content);
  gtk_widget_show(label_);
  gtk_widget_show(content);
  gtk_widget_show(button_);
  gtk_layout_put(layer(), button_, 0, 0);
  g_signal_connect(button_, "clicked", G_CALLBACK(clicked), this);
}

void GtkButtonPeer::titleChanged(const std::string& title) {
  gtk_label_set_text(GTK_LABEL(label_), title.c_str());
}

void GtkButtonPeer::imageChanged(const std::string& imagePath) {
  if (imagePath.empty()) {
    gtk_image_clear(GTK_IMAGE(image_));
    gtk_widget_hide(image_);
    return;
  }
  gtk_image_set_from_file(GTK_IMAGE(image_), imagePath.c_str());
  gtk_widget_show(image_);
}

void GtkButtonPeer::sizeChanged(int width, int height) {
  gtk_widget_set_size_request(button_, width, height);
}

void GtkButtonPeer::clicked(GtkButton*, gpointer self) {
  View* view = static_cast<GtkButtonPeer*>(self)->view();
  if (!view) return;
  // The action may take the button off the screen; it stays alive until the action is done.
  std::shared_ptr<View> keep = view->shared_from_this();
  static_cast<Button*>(view)->sendActions();
}

}  // namespace platform::gtk
