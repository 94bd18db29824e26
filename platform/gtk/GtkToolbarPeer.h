#pragma once

#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "platform/gtk/GtkViewPeer.h"
#include "platform/ui/ToolbarPeer.h"

namespace platform::gtk {

// A toolbar on a GTK screen: a GtkToolbar filling the view, rebuilt from the items each time
// they change. Flexible spaces share the free room; image items show their picture at its size
// in points; refresh, action and done use the desktop's symbolic icons and a "Done" label; an item
// holding a view shows that view's widget. Each item carries its accessibility name; a click on an
// enabled item is reported with its index.
//
// A tint colours the bar, as on the device, and draws the items' words and symbols in white on a
// dark tint (black on a light one): the white pictures made for a tinted bar stand out on it. No
// tint leaves the desktop's own look.
class GtkToolbarPeer : public ToolbarPeer {
 public:
  GtkToolbarPeer(GtkViewPeer& base, ToolbarPeerClient& client);
  ~GtkToolbarPeer() override;
  GtkToolbarPeer(const GtkToolbarPeer&) = delete;
  GtkToolbarPeer& operator=(const GtkToolbarPeer&) = delete;

  void itemsChanged(const std::vector<ToolbarItemLook>& items) override;
  void tintColorChanged(const Color& color) override;

  GtkToolbar* toolbar() const { return GTK_TOOLBAR(toolbar_.get()); }
  // The tool item at index, for tests that click it.
  GtkToolItem* item(size_t index) const;

 private:
  static void clicked(GtkToolButton* button, gpointer self);
  GtkToolItem* makeItem(const ToolbarItemLook& look);
  void clear();

  ToolbarPeerClient& client_;
  glibsupport::GObjectPtr<GtkWidget> toolbar_;
  std::string tintClass_;
};

}  // namespace platform::gtk
