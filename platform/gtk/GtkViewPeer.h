#pragma once

#include <gtk/gtk.h>

#include <optional>
#include <string>

#include "platform/glibsupport/GlibPtr.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewPeer.h"

namespace platform::gtk {

// A view on a GTK screen: an event box placed at the view's frame in its superview's layer, with
// a layer inside (a GtkLayout, whose size does not grow with what it holds) that keeps the
// subviews at their frames, later ones on top. Sizes are the frames' exactly; the event box
// paints the background colour and takes the touches that no subview takes (reporting them to the
// view), so a view covers what lies beneath it. A view that takes no touches raises its event box
// above its subviews, which then get none either.
//
// The peer of a special kind of view puts its widget in as the content: it lies under the
// subviews and always has the frame's size. The peer holds its own reference to each of its
// widgets, so a view keeps them while it is out of any superview, and whatever goes first — the
// view or a window it was packed into — the other finds its widgets alive. A window that is
// destroyed takes the view's event box with it but nothing inside: the layer leaves the box as
// the box is destroyed, and the subviews and the content stay whole until their own views go.
class GtkViewPeer : public ViewPeer {
 public:
  GtkViewPeer(ViewPeerClient& client, const Rect& frame);
  ~GtkViewPeer() override;
  GtkViewPeer(const GtkViewPeer&) = delete;
  GtkViewPeer& operator=(const GtkViewPeer&) = delete;

  void frameChanged(const Rect& frame) override;
  void hiddenChanged(bool hidden) override;
  void backgroundColorChanged(const Color& color) override;
  void userInteractionChanged(bool enabled) override;
  // The event box's accessible object takes the label and role: a landmark is ATK's.
  void accessibilityChanged(const std::string& label, AccessibilityRole role) override;
  void subviewAdded(View& subview) override;
  void removedFromSuperview() override;
  void becameFirstResponder() override;

  // Set by the peer of a special kind when it is made, before the view has subviews, so that the
  // content lies under them.
  void setContent(GtkWidget* content);
  // For content that takes its own button presses: tells the view of a touch at point, in the
  // view's coordinates.
  void reportTouch(const Point& point) { client_.viewPeerTouched(point); }

  // The widget that stands for the view in its superview (or on the device screen).
  GtkWidget* widget() const { return box_.get(); }
  // The view's peer on this backend.
  static GtkViewPeer& of(View& view) { return static_cast<GtkViewPeer&>(view.peer()); }

 private:
  static gboolean drawBackground(GtkWidget* widget, cairo_t* cr, gpointer self);
  static gboolean pressed(GtkWidget* widget, GdkEventButton* event, gpointer self);
  static void boxDestroyed(GtkWidget* box, gpointer self);
  void sizeContent();

  ViewPeerClient& client_;
  glibsupport::GObjectPtr<GtkWidget> box_;
  glibsupport::GObjectPtr<GtkWidget> layer_;
  glibsupport::GObjectPtr<GtkWidget> content_;
  Color background_ = Color::clear();
  Size size_;
  bool touchable_ = true;
  // The role the event box's accessible object had before a view gave it one, to go back to.
  std::optional<AtkRole> plainRole_;
};

}  // namespace platform::gtk
