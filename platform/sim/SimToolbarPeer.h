#pragma once

#include "platform/sim/SimViewPeer.h"
#include "platform/ui/ToolbarPeer.h"

namespace platform::sim {

// Keeps a toolbar's items as shown; a test taps an item through it.
class SimToolbarPeer : public ToolbarPeer {
 public:
  explicit SimToolbarPeer(ToolbarPeerClient& client) : client_(client) {}

  void itemsChanged(const std::vector<ToolbarItemLook>& items) override { items_ = items; }
  void tintColorChanged(const Color& color) override { tint_ = color; }

  const std::vector<ToolbarItemLook>& items() const { return items_; }
  const Color& tintColor() const { return tint_; }
  void tap(size_t index) { client_.toolbarPeerItemTapped(index); }

 private:
  ToolbarPeerClient& client_;
  std::vector<ToolbarItemLook> items_;
  Color tint_ = Color::clear();
};

}  // namespace platform::sim
