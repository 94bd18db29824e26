#pragma once

#include <string>
#include <vector>

#include "platform/ui/View.h"
#include "platform/ui/ViewPeer.h"

namespace platform::sim {

// Records what a view asked of its backend, one line per call ("frame 0 410 320 50",
// "hidden YES", "accessibility landmark Advertisement", "addSubview", "removeFromSuperview",
// "becomeFirstResponder"; the peers of special kinds made over it add theirs: "title Stop", …). A
// test touches the view through it.
class SimViewPeer : public ViewPeer {
 public:
  explicit SimViewPeer(ViewPeerClient& client) : client_(client) {}

  void frameChanged(const Rect& frame) override;
  void hiddenChanged(bool hidden) override;
  void backgroundColorChanged(const Color& color) override;
  void userInteractionChanged(bool enabled) override;
  void accessibilityChanged(const std::string& label, AccessibilityRole role) override;
  void subviewAdded(View& subview) override;
  void removedFromSuperview() override;
  void becameFirstResponder() override { calls_.push_back("becomeFirstResponder"); }

  // A touch goes down at point, in the view's coordinates, as on the screen.
  void touch(const Point& point) { client_.viewPeerTouched(point); }

  void record(std::string call) { calls_.push_back(std::move(call)); }
  const std::vector<std::string>& calls() const { return calls_; }

  // The peer of a view made on the simulated platform.
  static SimViewPeer& of(View& view) { return static_cast<SimViewPeer&>(view.peer()); }

 private:
  ViewPeerClient& client_;
  std::vector<std::string> calls_;
};

}  // namespace platform::sim
