#pragma once

#include <gtk/gtk.h>

#include "platform/gtk/GtkViewPeer.h"
#include "platform/ui/ActivityIndicatorPeer.h"

namespace platform::gtk {

// A spinner on a GTK screen: a GtkSpinner filling the view, turning while the indicator animates
// and hidden while it does not, as the platform's indicator hides when it stops.
class GtkActivityIndicatorPeer : public ActivityIndicatorPeer {
 public:
  explicit GtkActivityIndicatorPeer(GtkViewPeer& base);

  void animatingChanged(bool animating) override;

  GtkSpinner* spinner() const { return GTK_SPINNER(spinner_.get()); }

 private:
  glibsupport::GObjectPtr<GtkWidget> spinner_;
};

}  // namespace platform::gtk
