#pragma once

#include <gtk/gtk.h>

#include "platform/Button.h"

namespace platform::gtk {

// A view on a GTK screen: an event box placed at the view's frame in its superview's layer, with
// a layer inside (a GtkLayout, whose size does not grow with what it holds) that keeps the
// subviews at their frames, later ones on top. Sizes are the
// frames' exactly; the event box paints the background colour and takes the touches that no
// subview takes, so a view covers what lies beneath it. A view that takes no touches raises its
// event box above its subviews, which then get none either.
//
// Every kind of view shares this peer (titles and images mean something only to buttons). The
// peer holds its own reference to its widgets, so a view keeps them while it is out of any
// superview.
class GtkViewPeer : public ButtonPeer {
 public:
  GtkViewPeer();
  ~GtkViewPeer() override;
  GtkViewPeer(const GtkViewPeer&) = delete;
  GtkViewPeer& operator=(const GtkViewPeer&) = delete;

  void attach(View& view) override;
  void frameChanged(const Rect& frame) override;
  void hiddenChanged(bool hidden) override;
  void backgroundColorChanged(const Color& color) override;
  void userInteractionChanged(bool enabled) override;
  void subviewAdded(View& subview) override;
  void removedFromSuperview() override;

  // The widget that stands for the view in its superview (or on the device screen).
  GtkWidget* widget() const { return box_; }
  // The view's peer on this backend.
  static GtkViewPeer& of(View& view) { return static_cast<GtkViewPeer&>(view.peer()); }

 protected:
  View* view() const { return view_; }
  // The layer in which subviews sit; a subclass may put its own content there first.
  GtkLayout* layer() const { return GTK_LAYOUT(layer_); }
  virtual void sizeChanged(int /*width*/, int /*height*/) {}

 private:
  static gboolean drawBackground(GtkWidget* widget, cairo_t* cr, gpointer self);

  View* view_ = nullptr;
  GtkWidget* box_;
  GtkWidget* layer_;
  Color background_ = Color::clear();
  Size size_;
};

}  // namespace platform::gtk
