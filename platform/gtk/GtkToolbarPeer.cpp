#include "platform/gtk/GtkToolbarPeer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>
#include <string>

#include "platform/gtk/GtkPixbuf.h"

namespace platform::gtk {

namespace {

constexpr const char* kIndexKey = "tad-toolbar-index";

GtkToolItem* systemItem(ToolbarItemLook::Kind kind) {
  switch (kind) {
    case ToolbarItemLook::Kind::Refresh:
      return gtk_tool_button_new(
          gtk_image_new_from_icon_name("view-refresh-symbolic", GTK_ICON_SIZE_SMALL_TOOLBAR),
          nullptr);
    case ToolbarItemLook::Kind::Action:
      return gtk_tool_button_new(
          gtk_image_new_from_icon_name("document-send-symbolic", GTK_ICON_SIZE_SMALL_TOOLBAR),
          nullptr);
    default: {
      // The toolbar shows icons only, so the word itself stands in the icon's place.
      GtkWidget* word = gtk_label_new(nullptr);
      gtk_label_set_markup(GTK_LABEL(word), "<b>Done</b>");
      gtk_widget_show(word);
      return gtk_tool_button_new(word, "Done");
    }
  }
}

int byte(double component) {
  return static_cast<int>(std::lround(std::clamp(component, 0.0, 1.0) * 255));
}

// The style class of toolbars tinted color, its rules added to the program's one style sheet for
// tinted toolbars the first time it is asked for.
std::string tintClassFor(const Color& color) {
  char name[32];
  std::snprintf(name, sizeof name, "tad-tint-%02x%02x%02x%02x", byte(color.red), byte(color.green),
                byte(color.blue), byte(color.alpha));
  static std::set<std::string> known;
  static std::string sheet;
  static GtkCssProvider* provider = nullptr;  // lives as long as the program
  GdkScreen* screen = gdk_screen_get_default();
  if (!screen || !known.insert(name).second) return name;
  if (!provider) {
    provider = gtk_css_provider_new();
    gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(provider),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  }
  const bool dark = 0.299 * color.red + 0.587 * color.green + 0.114 * color.blue < 0.5;
  const std::string ink = dark ? "255, 255, 255" : "0, 0, 0";
  // Written without the locale's decimal mark, which style sheets do not read.
  const long opacity = std::lround(std::clamp(color.alpha, 0.0, 1.0) * 1000);
  char ground[64];
  std::snprintf(ground, sizeof ground, "rgba(%d, %d, %d, %ld.%03ld)", byte(color.red),
                byte(color.green), byte(color.blue), opacity / 1000, opacity % 1000);
  const std::string bar = std::string("toolbar.") + name;
  const std::string rules = bar + " { background: " + ground + "; border-color: transparent; }\n" +
                            bar + " button, " + bar + " label, " + bar + " image { color: rgb(" +
                            ink + "); }\n" + bar + " button:disabled, " + bar +
                            " button:disabled label, " + bar +
                            " button:disabled image { color: rgba(" + ink + ", 0.4); }\n";
  sheet += rules;
  gtk_css_provider_load_from_data(provider, sheet.c_str(), -1, nullptr);
  return name;
}

}  // namespace

GtkToolbarPeer::GtkToolbarPeer(GtkViewPeer& base, ToolbarPeerClient& client)
    : client_(client),
      toolbar_(glibsupport::adopt(GTK_WIDGET(g_object_ref_sink(gtk_toolbar_new())))) {
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
    glibsupport::GObjectPtr<GdkPixbuf> pixels = pixbufFromPNG(look.imagePNG, look.imageScale);
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

void GtkToolbarPeer::tintColorChanged(const Color& color) {
  GtkStyleContext* style = gtk_widget_get_style_context(toolbar_.get());
  if (!tintClass_.empty()) gtk_style_context_remove_class(style, tintClass_.c_str());
  tintClass_ = color.alpha > 0 ? tintClassFor(color) : std::string();
  if (!tintClass_.empty()) gtk_style_context_add_class(style, tintClass_.c_str());
}

GtkToolItem* GtkToolbarPeer::item(size_t index) const {
  return gtk_toolbar_get_nth_item(toolbar(), static_cast<gint>(index));
}

void GtkToolbarPeer::clicked(GtkToolButton* button, gpointer self) {
  size_t index = GPOINTER_TO_SIZE(g_object_get_data(G_OBJECT(button), kIndexKey));
  static_cast<GtkToolbarPeer*>(self)->client_.toolbarPeerItemTapped(index);
}

}  // namespace platform::gtk
