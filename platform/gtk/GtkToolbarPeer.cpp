#include "platform/gtk/GtkToolbarPeer.h"

#include <cmath>

#include "platform/gtk/GtkPixbuf.h"

namespace platform::gtk {

namespace {

constexpr const char* kIndexKey = "tad-toolbar-index";

GtkToolItem* systemItem(ToolbarItemLook::Kind kind) {
  switch (kind) {
    case ToolbarItemLook::Kind::Refresh:
      return gtk_tool_button_new(
          gtk_image_new_from_icon_name("view-refresh", GTK_ICON_SIZE_SMALL_TOOLBAR), nullptr);
    case ToolbarItemLook::Kind::Action:
      return gtk_tool_button_new(
          gtk_image_new_from_icon_name("document-send", GTK_ICON_SIZE_SMALL_TOOLBAR), nullptr);
    default: {
      // The toolbar shows icons only, so the word itself stands in the icon's place.
      GtkWidget* word = gtk_label_new(nullptr);
      gtk_label_set_markup(GTK_LABEL(word), "<b>Done</b>");
      gtk_widget_show(word);
      return gtk_tool_button_new(word, "Done");
    }
  }
}

}  // namespace

GtkToolbarPeer::GtkToolbarPeer(GtkViewPeer& base, ToolbarPeerClient& client)
    : client_(client), toolbar_(glib::adopt(GTK_WIDGET(g_object_ref_sink(gtk_toolbar_new())))) {
  gtk_toolbar_set_style(toolbar(), GTK_TOOLBAR_ICONS);
  gtk_toolbar_set_show_arrow(toolbar(), FALSE);
  gtk_widget_show(toolbar_.get());
  base.setContent(toolbar_.get());
}

GtkToolbarPeer::~GtkToolbarPeer() {
  clear();
}

// Views shown in items belong to their own peers: they are taken out before their item goes.
void GtkToolbarPeer::clear() {
  std::unique_ptr<GList, decltype(&g_list_free)> children(
      gtk_container_get_children(GTK_CONTAINER(toolbar_.get())), &g_list_free);
  for (GList* child = children.get(); child; child = child->next) {
    GtkWidget* item = GTK_WIDGET(child->data);
    g_signal_handlers_disconnect_by_data(item, this);
    if (GTK_IS_TOOL_BUTTON(item) || !GTK_IS_BIN(item)) {
      gtk_container_remove(GTK_CONTAINER(toolbar_.get()), item);
      continue;
    }
    if (GtkWidget* view = gtk_bin_get_child(GTK_BIN(item)))
      gtk_container_remove(GTK_CONTAINER(item), view);
    gtk_container_remove(GTK_CONTAINER(toolbar_.get()), item);
  }
}

void GtkToolbarPeer::itemsChanged(const std::vector<ToolbarItemLook>& items) {
  clear();
  for (size_t index = 0; index < items.size(); ++index) {
    GtkToolItem* item = makeItem(items[index]);
    g_object_set_data(G_OBJECT(item), kIndexKey, GSIZE_TO_POINTER(index));
    gtk_widget_set_sensitive(GTK_WIDGET(item), items[index].enabled);
    if (!items[index].accessibilityName.empty()) {
      atk_object_set_name(gtk_widget_get_accessible(GTK_WIDGET(item)),
                          items[index].accessibilityName.c_str());
      gtk_widget_set_tooltip_text(GTK_WIDGET(item), items[index].accessibilityName.c_str());
    }
    gtk_widget_show_all(GTK_WIDGET(item));
    gtk_toolbar_insert(toolbar(), item, -1);
  }
}

GtkToolItem* GtkToolbarPeer::makeItem(const ToolbarItemLook& look) {
  using Kind = ToolbarItemLook::Kind;
  if (look.kind == Kind::FlexibleSpace) {
    GtkToolItem* space = gtk_separator_tool_item_new();
    gtk_separator_tool_item_set_draw(GTK_SEPARATOR_TOOL_ITEM(space), FALSE);
    gtk_tool_item_set_expand(space, TRUE);
    return space;
  }
  if (look.kind == Kind::CustomView) {
    GtkToolItem* holder = gtk_tool_item_new();
    if (look.customView) {
      GtkWidget* view = GtkViewPeer::of(*look.customView).widget();
      if (GtkWidget* parent = gtk_widget_get_parent(view))
        gtk_container_remove(GTK_CONTAINER(parent), view);
      gtk_widget_set_valign(view, GTK_ALIGN_CENTER);
      gtk_container_add(GTK_CONTAINER(holder), view);
    }
    return holder;
  }
  GtkToolItem* button;
  if (look.kind == Kind::Image) {
    glib::GObjectPtr<GdkPixbuf> pixels = pixbufFromPNG(look.imagePNG, look.imageScale);
    GtkWidget* image = pixels ? gtk_image_new_from_pixbuf(pixels.get()) : gtk_image_new();
    button = gtk_tool_button_new(image, nullptr);
  } else {
    button = systemItem(look.kind);
  }
  if (look.width > 0)
    gtk_widget_set_size_request(GTK_WIDGET(button), static_cast<int>(std::lround(look.width)), -1);
  g_signal_connect(button, "clicked", G_CALLBACK(clicked), this);
  return button;
}

GtkToolItem* GtkToolbarPeer::item(size_t index) const {
  return gtk_toolbar_get_nth_item(toolbar(), static_cast<gint>(index));
}

void GtkToolbarPeer::clicked(GtkToolButton* button, gpointer self) {
  size_t index = GPOINTER_TO_SIZE(g_object_get_data(G_OBJECT(button), kIndexKey));
  static_cast<GtkToolbarPeer*>(self)->client_.toolbarPeerItemTapped(index);
}

}  // namespace platform::gtk
