#pragma once

#include <gtk/gtk.h>

#include "platform/gtk/GtkViewPeer.h"
#include "platform/ui/ImageViewPeer.h"

namespace platform::gtk {

// An image view on a GTK screen: a GtkImage filling the view.
class GtkImageViewPeer : public ImageViewPeer {
 public:
  explicit GtkImageViewPeer(GtkViewPeer& base);

  void imageChanged(const std::vector<uint8_t>& pngData) override;

  GtkImage* image() const { return GTK_IMAGE(image_.get()); }

 private:
  glibsupport::GObjectPtr<GtkWidget> image_;
};

}  // namespace platform::gtk
