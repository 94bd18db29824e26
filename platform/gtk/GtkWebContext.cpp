#include "platform/gtk/GtkWebContext.h"

namespace platform::gtk {

GtkWebContext::GtkWebContext(const std::string& dataDirectory, const std::string& cacheDirectory) {
  auto manager = glib::adopt(
      webkit_website_data_manager_new("base-data-directory", dataDirectory.c_str(),
                                      "base-cache-directory", cacheDirectory.c_str(), nullptr));
  context_ = glib::adopt(webkit_web_context_new_with_website_data_manager(manager.get()));
}

std::string GtkWebContext::defaultDataDirectory(const std::string& applicationId) {
  return std::string(g_get_user_data_dir()) + "/" + applicationId + "/WebKit";
}

std::string GtkWebContext::defaultCacheDirectory(const std::string& applicationId) {
  return std::string(g_get_user_cache_dir()) + "/" + applicationId + "/WebKit";
}

std::string GtkWebContext::dataDirectory() const {
  WebKitWebsiteDataManager* manager = webkit_web_context_get_website_data_manager(context_.get());
  const char* directory = webkit_website_data_manager_get_base_data_directory(manager);
  return directory ? directory : "";
}

}  // namespace platform::gtk
