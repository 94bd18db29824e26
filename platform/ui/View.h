#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Geometry.h"
#include "platform/ui/ViewPeer.h"

namespace platform {

class View;
class Window;

// Autoresizing: which of a view's margins and dimensions follow its superview's size changes.
enum AutoresizingMask : unsigned {
  kAutoresizingNone = 0,
  kAutoresizingFlexibleLeftMargin = 1 << 0,
  kAutoresizingFlexibleWidth = 1 << 1,
  kAutoresizingFlexibleRightMargin = 1 << 2,
  kAutoresizingFlexibleTopMargin = 1 << 3,
  kAutoresizingFlexibleHeight = 1 << 4,
  kAutoresizingFlexibleBottomMargin = 1 << 5,
};

// A rectangle on screen in its superview's coordinates, with subviews that it owns. Views are
// made with std::make_shared (a view hands out weak references to itself to its subviews).
class View : public std::enable_shared_from_this<View>, private ViewPeerClient {
 public:
  explicit View(const Rect& frame = {});
  virtual ~View();
  View(const View&) = delete;
  View& operator=(const View&) = delete;

  const Rect& frame() const { return frame_; }
  void setFrame(const Rect& frame);
  Rect bounds() const { return {0, 0, frame_.width(), frame_.height()}; }

  bool isHidden() const { return hidden_; }
  void setHidden(bool hidden);
  const Color& backgroundColor() const { return backgroundColor_; }
  void setBackgroundColor(const Color& color);
  bool isUserInteractionEnabled() const { return userInteractionEnabled_; }
  void setUserInteractionEnabled(bool enabled);
  // Kept for the views' users; the backends draw nothing differently for them yet.
  bool clipsToBounds() const { return clipsToBounds_; }
  void setClipsToBounds(bool clips) { clipsToBounds_ = clips; }
  bool isOpaque() const { return opaque_; }
  void setOpaque(bool opaque) { opaque_ = opaque; }
  unsigned autoresizingMask() const { return autoresizingMask_; }
  void setAutoresizingMask(unsigned mask) { autoresizingMask_ = mask; }
  // What assistive technologies call the view (empty: no name of its own) and how they present
  // it; a plain view without a name by default.
  const std::string& accessibilityLabel() const { return accessibilityLabel_; }
  void setAccessibilityLabel(std::string label);
  AccessibilityRole accessibilityRole() const { return accessibilityRole_; }
  void setAccessibilityRole(AccessibilityRole role);

  // Adds view on top of the subviews, taking it from its former superview.
  void addSubview(const std::shared_ptr<View>& view);
  void removeFromSuperview();
  const std::vector<std::shared_ptr<View>>& subviews() const { return subviews_; }
  std::shared_ptr<View> superview() const { return superview_.lock(); }
  // The window this view is in, or nullptr.
  Window* window();

  // The deepest visible, touchable view under point (in this view's coordinates): a subview, later
  // ones first, or this view; nullptr when point is outside. The backend asks the view that a
  // touch lands on, so an override sees every touch on its view (and answers the base's result).
  virtual View* hitTest(const Point& point);

  // Takes the keyboard focus into this view (its backend decides where in it).
  void becomeFirstResponder() { peer_->becameFirstResponder(); }

  ViewPeer& peer() { return *peer_; }

 private:
  void viewPeerTouched(const Point& point) override { hitTest(point); }
  void resizeSubviews(const Size& oldSize);

  Rect frame_;
  bool hidden_ = false;
  Color backgroundColor_ = Color::clear();
  bool userInteractionEnabled_ = true;
  bool clipsToBounds_ = false;
  bool opaque_ = true;
  unsigned autoresizingMask_ = kAutoresizingNone;
  std::string accessibilityLabel_;
  AccessibilityRole accessibilityRole_ = AccessibilityRole::Plain;
  std::vector<std::shared_ptr<View>> subviews_;
  std::weak_ptr<View> superview_;
  std::unique_ptr<ViewPeer> peer_;
};

}  // namespace platform
