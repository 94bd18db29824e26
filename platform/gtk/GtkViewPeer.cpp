#include "platform/gtk/GtkViewPeer.h"

#include <algorithm>
#include <cmath>

namespace platform::gtk {

namespace {

int pixels(double points) {
  return static_cast<int>(std::lround(points));
}

}  // namespace

GtkViewPeer::GtkViewPeer() : box_(gtk_event_box_new()), layer_(gtk_layout_new(nullptr, nullptr)) {
  g_object_ref_sink(box_);
  gtk_event_box_set_visible_window(GTK_EVENT_BOX(box_), FALSE);
  gtk_container_add(GTK_CONTAINER(box_), layer_);
  g_signal_connect(box_, "draw", G_CALLBACK(drawBackground), this);
  gtk_widget_show(layer_);
  gtk_widget_show(box_);
}

GtkViewPeer::~GtkViewPeer() {
  // Subviews that outlive this view keep their widgets: take them out before the layer goes,
  // since a container that is finalized destroys what it still holds.
  GList* children = gtk_container_get_children(GTK_CONTAINER(layer_));
  for (GList* child = children; child; child = child->next)
    gtk_container_remove(GTK_CONTAINER(layer_), GTK_WIDGET(child->data));
  g_list_free(children);
  if (GtkWidget* parent = gtk_widget_get_parent(box_))
    gtk_container_remove(GTK_CONTAINER(parent), box_);
  g_signal_handlers_disconnect_by_data(box_, this);
  g_object_unref(box_);
}

void GtkViewPeer::attach(View& view) {
  view_ = &view;
  frameChanged(view.frame());
  hiddenChanged(view.isHidden());
  backgroundColorChanged(view.backgroundColor());
  userInteractionChanged(view.isUserInteractionEnabled());
}

void GtkViewPeer::frameChanged(const Rect& frame) {
  size_ = frame.size;
  int width = std::max(0, pixels(frame.width()));
  int height = std::max(0, pixels(frame.height()));
  gtk_widget_set_size_request(box_, width, height);
  if (GtkWidget* parent = gtk_widget_get_parent(box_); parent && GTK_IS_LAYOUT(parent)) {
    gtk_layout_move(GTK_LAYOUT(parent), box_, pixels(frame.minX()), pixels(frame.minY()));
  }
  sizeChanged(width, height);
  gtk_widget_queue_draw(box_);
}

void GtkViewPeer::hiddenChanged(bool hidden) {
  gtk_widget_set_visible(box_, !hidden);
}

void GtkViewPeer::backgroundColorChanged(const Color& color) {
  background_ = color;
  gtk_widget_queue_draw(box_);
}

void GtkViewPeer::userInteractionChanged(bool enabled) {
  gtk_event_box_set_above_child(GTK_EVENT_BOX(box_), !enabled);
}

void GtkViewPeer::subviewAdded(View& subview) {
  GtkWidget* child = of(subview).widget();
  const Rect& frame = subview.frame();
  gtk_layout_put(layer(), child, pixels(frame.minX()), pixels(frame.minY()));
}

void GtkViewPeer::removedFromSuperview() {
  if (GtkWidget* parent = gtk_widget_get_parent(box_))
    gtk_container_remove(GTK_CONTAINER(parent), box_);
}

// Painted before the layer draws the subviews, over the frame's size (not the allocation, which
// grows when subviews reach beyond the frame).
gboolean GtkViewPeer::drawBackground(GtkWidget*, cairo_t* cr, gpointer self) {
  auto* peer = static_cast<GtkViewPeer*>(self);
  const Color& c = peer->background_;
  if (c.alpha <= 0) return FALSE;
  cairo_save(cr);
  cairo_set_source_rgba(cr, c.red, c.green, c.blue, c.alpha);
  cairo_rectangle(cr, 0, 0, peer->size_.width, peer->size_.height);
  cairo_fill(cr);
  cairo_restore(cr);
  return FALSE;
}

}  // namespace platform::gtk
