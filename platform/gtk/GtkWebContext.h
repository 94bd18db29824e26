#pragma once

#include <webkit2/webkit2.h>

#include <string>

#include "platform/glib/GlibPtr.h"

namespace platform::gtk {

// The program's one WebKit web context: every web view is made in it, so they share web
// processes, the network process, cookies and the page caches. Website data (cookies, local
// storage, databases) is kept in dataDirectory and caches in cacheDirectory; neither needs to
// exist yet. The context lives as long as its owner and the web views made in it.
class GtkWebContext {
 public:
  GtkWebContext(const std::string& dataDirectory, const std::string& cacheDirectory);

  // The folders of the installed program: "WebKit" in the user's data and cache folders
  // (XDG_DATA_HOME, XDG_CACHE_HOME) under the application's identifier.
  static std::string defaultDataDirectory(const std::string& applicationId);
  static std::string defaultCacheDirectory(const std::string& applicationId);

  WebKitWebContext* get() const { return context_.get(); }
  std::string dataDirectory() const;

 private:
  glib::GObjectPtr<WebKitWebContext> context_;
};

}  // namespace platform::gtk
