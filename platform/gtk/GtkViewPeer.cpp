#include "platform/gtk/GtkViewPeer.h"

#include <algorithm>
#include <cmath>

namespace platform::gtk {

namespace {

int pixels(double points) {
  return static_cast<int>(std::lround(points));
}

}  // namespace

GtkViewPeer::GtkViewPeer(ViewPeerClient& client, const Rect& frame)
    : client_(client),
      box_(glibsupport::adopt(GTK_WIDGET(g_object_ref_sink(gtk_event_box_new())))),
      layer_(glibsupport::adopt(GTK_WIDGET(g_object_ref_sink(gtk_layout_new(nullptr, nullptr))))) {
  gtk_event_box_set_visible_window(GTK_EVENT_BOX(box_.get()), FALSE);
  gtk_container_add(GTK_CONTAINER(box_.get()), layer_.get());
  g_signal_connect(box_.get(), "draw", G_CALLBACK(drawBackground), this);
  g_signal_connect(box_.get(), "destroy", G_CALLBACK(boxDestroyed), this);
  // The layer takes the presses on the view; the event box those on a view that takes no touches
  // (it lies above the layer then).
  gtk_widget_add_events(layer_.get(), GDK_BUTTON_PRESS_MASK);
  g_signal_connect(layer_.get(), "button-press-event", G_CALLBACK(pressed), this);
  g_signal_connect(box_.get(), "button-press-event", G_CALLBACK(pressed), this);
  gtk_widget_show(layer_.get());
  gtk_widget_show(box_.get());
  frameChanged(frame);
}

GtkViewPeer::~GtkViewPeer() {
  // Subviews that outlive this view keep their widgets: take them out before the layer goes,
  // since a container that is finalized destroys what it still holds.
  std::unique_ptr<GList, decltype(&g_list_free)> children(
      gtk_container_get_children(GTK_CONTAINER(layer_.get())), &g_list_free);
  for (GList* child = children.get(); child; child = child->next)
    gtk_container_remove(GTK_CONTAINER(layer_.get()), GTK_WIDGET(child->data));
  removedFromSuperview();
  g_signal_handlers_disconnect_by_data(box_.get(), this);
  g_signal_handlers_disconnect_by_data(layer_.get(), this);
}

// Runs before the event box's own destruction, which would destroy the layer and, through it,
// every subview's widget and the content (a web view's page among them) while their views still
// use them.
void GtkViewPeer::boxDestroyed(GtkWidget* box, gpointer self) {
  GtkWidget* layer = static_cast<GtkViewPeer*>(self)->layer_.get();
  if (gtk_widget_get_parent(layer) == box) gtk_container_remove(GTK_CONTAINER(box), layer);
}

void GtkViewPeer::frameChanged(const Rect& frame) {
  size_ = frame.size;
  gtk_widget_set_size_request(box_.get(), std::max(0, pixels(frame.width())),
                              std::max(0, pixels(frame.height())));
  if (GtkWidget* parent = gtk_widget_get_parent(box_.get()); parent && GTK_IS_LAYOUT(parent)) {
    gtk_layout_move(GTK_LAYOUT(parent), box_.get(), pixels(frame.minX()), pixels(frame.minY()));
  }
  sizeContent();
  gtk_widget_queue_draw(box_.get());
}

void GtkViewPeer::hiddenChanged(bool hidden) {
  gtk_widget_set_visible(box_.get(), !hidden);
}

void GtkViewPeer::backgroundColorChanged(const Color& color) {
  background_ = color;
  gtk_widget_queue_draw(box_.get());
}

void GtkViewPeer::userInteractionChanged(bool enabled) {
  touchable_ = enabled;
  gtk_event_box_set_above_child(GTK_EVENT_BOX(box_.get()), !enabled);
}

void GtkViewPeer::accessibilityChanged(const std::string& label, AccessibilityRole role) {
  AtkObject* accessible = gtk_widget_get_accessible(box_.get());
  if (!plainRole_) plainRole_ = atk_object_get_role(accessible);
  atk_object_set_name(accessible, label.c_str());
  atk_object_set_role(accessible,
                      role == AccessibilityRole::Landmark ? ATK_ROLE_LANDMARK : *plainRole_);
}

void GtkViewPeer::subviewAdded(View& subview) {
  const Rect& frame = subview.frame();
  gtk_layout_put(GTK_LAYOUT(layer_.get()), of(subview).widget(), pixels(frame.minX()),
                 pixels(frame.minY()));
}

void GtkViewPeer::removedFromSuperview() {
  if (GtkWidget* parent = gtk_widget_get_parent(box_.get()))
    gtk_container_remove(GTK_CONTAINER(parent), box_.get());
}

void GtkViewPeer::becameFirstResponder() {
  GtkWidget* box = box_.get();
  GtkWidget* toplevel = gtk_widget_get_toplevel(box);
  GtkWidget* focus = GTK_IS_WINDOW(toplevel) ? gtk_window_get_focus(GTK_WINDOW(toplevel)) : nullptr;
  // Moving the focus on from inside the view would skip the control that holds it.
  if (focus && (focus == box || gtk_widget_is_ancestor(focus, box))) return;
  gtk_widget_child_focus(box, GTK_DIR_TAB_FORWARD);
}

void GtkViewPeer::setContent(GtkWidget* content) {
  if (content_) gtk_container_remove(GTK_CONTAINER(layer_.get()), content_.get());
  content_ = glibsupport::retain(content);
  if (!content) return;
  gtk_layout_put(GTK_LAYOUT(layer_.get()), content, 0, 0);
  sizeContent();
}

void GtkViewPeer::sizeContent() {
  if (!content_) return;
  gtk_widget_set_size_request(content_.get(), std::max(0, pixels(size_.width)),
                              std::max(0, pixels(size_.height)));
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

// The press is this view's alone: the views around it hear nothing of it.
gboolean GtkViewPeer::pressed(GtkWidget*, GdkEventButton* event, gpointer self) {
  auto* peer = static_cast<GtkViewPeer*>(self);
  if (event->type == GDK_BUTTON_PRESS && peer->touchable_) peer->reportTouch({event->x, event->y});
  return TRUE;
}

}  // namespace platform::gtk
