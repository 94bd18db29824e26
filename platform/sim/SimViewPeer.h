#pragma once

#include <string>
#include <vector>

#include "platform/Button.h"

namespace platform::sim {

// Records what a view asked of its backend, one line per call ("frame 0 410 320 50",
// "hidden YES", "addSubview", "removeFromSuperview", "title Stop", …).
class SimViewPeer : public ButtonPeer {
 public:
  void frameChanged(const Rect& frame) override;
  void hiddenChanged(bool hidden) override;
  void backgroundColorChanged(const Color& color) override;
  void userInteractionChanged(bool enabled) override;
  void subviewAdded(View& subview) override;
  void removedFromSuperview() override;
  void titleChanged(const std::string& title) override;
  void imageChanged(const std::string& imagePath) override;

  const std::vector<std::string>& calls() const { return calls_; }

  // The peer of a view made on the simulated platform.
  static SimViewPeer& of(View& view) { return static_cast<SimViewPeer&>(view.peer()); }

 private:
  std::vector<std::string> calls_;
};

// Makes recording peers for every kind of view.
class SimViewBackend : public ViewBackend {
 public:
  std::unique_ptr<ViewPeer> makeViewPeer() override { return std::make_unique<SimViewPeer>(); }
  std::unique_ptr<ButtonPeer> makeButtonPeer() override { return std::make_unique<SimViewPeer>(); }
};

}  // namespace platform::sim
