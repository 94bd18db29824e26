#include "platform/gtk/GtkWebContext.h"

#include <utility>

namespace platform::gtk {

GtkWebContext::GtkWebContext(std::string dataDirectory, std::string cacheDirectory)
    : dataDirectory_(std::move(dataDirectory)), cacheDirectory_(std::move(cacheDirectory)) {
  g_weak_ref_init(&processAnchor_, nullptr);
}

GtkWebContext::~GtkWebContext() {
  g_weak_ref_clear(&processAnchor_);
}

std::string GtkWebContext::defaultDataDirectory(const std::string& applicationId) {
  return std::string(g_get_user_data_dir()) + "/" + applicationId + "/WebKit";
}

std::string GtkWebContext::defaultCacheDirectory(const std::string& applicationId) {
  return std::string(g_get_user_cache_dir()) + "/" + applicationId + "/WebKit";
}

WebKitWebContext* GtkWebContext::get() {
  if (!context_) {
    auto manager = glib::adopt(
        webkit_website_data_manager_new("base-data-directory", dataDirectory_.c_str(),
                                        "base-cache-directory", cacheDirectory_.c_str(), nullptr));
    context_ = glib::adopt(webkit_web_context_new_with_website_data_manager(manager.get()));
  }
  return context_.get();
}

GtkWidget* GtkWebContext::makeWebView() {
  auto anchor = glib::adopt(static_cast<WebKitWebView*>(g_weak_ref_get(&processAnchor_)));
  if (!anchor) {
    GtkWidget* view = webkit_web_view_new_with_context(get());
    g_weak_ref_set(&processAnchor_, view);
    return view;
  }
  // Some WebKit versions hand a related view the settings object of the view it joins.
  auto settings = glib::adopt(webkit_settings_new());
  return GTK_WIDGET(g_object_new(WEBKIT_TYPE_WEB_VIEW, "related-view", anchor.get(), "settings",
                                 settings.get(), nullptr));
}

}  // namespace platform::gtk
