#pragma once

#include <webkit2/webkit2.h>

#include <string>

#include "platform/glib/GlibPtr.h"

namespace platform::gtk {

// The program's one WebKit web context: every web view is made in it, so they share web
// processes, the network process, cookies and the page caches. Website data (cookies, local
// storage, databases) is kept in dataDirectory and caches in cacheDirectory; neither needs to
// exist yet. WebKit's context is made when the first web view asks for it, so a program that shows
// no page starts nothing of WebKit's.
class GtkWebContext {
 public:
  GtkWebContext(std::string dataDirectory, std::string cacheDirectory);

  // The folders of the installed program: "WebKit" in the user's data and cache folders
  // (XDG_DATA_HOME, XDG_CACHE_HOME) under the application's identifier.
  static std::string defaultDataDirectory(const std::string& applicationId);
  static std::string defaultCacheDirectory(const std::string& applicationId);

  WebKitWebContext* get();
  const std::string& dataDirectory() const { return dataDirectory_; }

 private:
  std::string dataDirectory_;
  std::string cacheDirectory_;
  glib::GObjectPtr<WebKitWebContext> context_;
};

}  // namespace platform::gtk
