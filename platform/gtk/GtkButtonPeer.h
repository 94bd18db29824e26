#pragma once

#include <gtk/gtk.h>

#include <string>

#include "platform/gtk/GtkViewPeer.h"

namespace platform::gtk {

// A button on a GTK screen: a GtkButton filling the view's frame, showing the title (cut short
// with an ellipsis where the frame is too narrow) after the optional image. A click sends the
// button's actions.
class GtkButtonPeer : public GtkViewPeer {
 public:
  GtkButtonPeer();

  void titleChanged(const std::string& title) override;
  void imageChanged(const std::string& imagePath) override;

  GtkButton* button() const { return GTK_BUTTON(button_); }

 protected:
  void sizeChanged(int width, int height) override;

 private:
  static void clicked(GtkButton*, gpointer self);

  GtkWidget* button_;
  GtkWidget* image_;
  GtkWidget* label_;
};

}  // namespace platform::gtk
