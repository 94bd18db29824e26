#pragma once

#include <memory>

#include "platform/gtk/GtkButtonPeer.h"
#include "platform/gtk/GtkViewPeer.h"

namespace platform::gtk {

// Makes GTK peers for every kind of view.
class GtkViewBackend : public ViewBackend {
 public:
  std::unique_ptr<ViewPeer> makeViewPeer() override { return std::make_unique<GtkViewPeer>(); }
  std::unique_ptr<ButtonPeer> makeButtonPeer() override {
    return std::make_unique<GtkButtonPeer>();
  }
};

}  // namespace platform::gtk
