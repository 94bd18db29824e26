#include "platform/sim/SimViewPeer.h"

#include "base/NumberText.h"

namespace platform::sim {

namespace {
std::string number(double value) {
  std::string text = base::fixedPoint(value, 6);
  text.erase(text.find_last_not_of('0') + 1);
  if (text.back() == '.') text.pop_back();
  return text;
}
}  // namespace

void SimViewPeer::frameChanged(const Rect& f) {
  calls_.push_back("frame " + number(f.minX()) + " " + number(f.minY()) + " " + number(f.width()) +
                   " " + number(f.height()));
}

void SimViewPeer::hiddenChanged(bool hidden) {
  calls_.push_back(std::string("hidden ") + (hidden ? "YES" : "NO"));
}

void SimViewPeer::backgroundColorChanged(const Color& c) {
  calls_.push_back("backgroundColor " + number(c.red) + " " + number(c.green) + " " +
                   number(c.blue) + " " + number(c.alpha));
}

void SimViewPeer::userInteractionChanged(bool enabled) {
  calls_.push_back(std::string("userInteraction ") + (enabled ? "YES" : "NO"));
}

void SimViewPeer::accessibilityChanged(const std::string& label, AccessibilityRole role) {
  calls_.push_back(std::string("accessibility ") +
                   (role == AccessibilityRole::Landmark ? "landmark" : "plain") +
                   (label.empty() ? "" : " " + label));
}

void SimViewPeer::subviewAdded(View&) {
  calls_.push_back("addSubview");
}
void SimViewPeer::removedFromSuperview() {
  calls_.push_back("removeFromSuperview");
}
}  // namespace platform::sim
