#include "platform/gtk/GtkWebContext.h"

#include <utility>

namespace platform::gtk {

GtkWebContext::GtkWebContext(std::string dataDirectory, std::string cacheDirectory)
    : dataDirectory_(std::move(dataDirectory)), cacheDirectory_(std::move(cacheDirectory)) {}

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

}  // namespace platform::gtk
