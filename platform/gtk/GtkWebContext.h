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
  ~GtkWebContext();
  GtkWebContext(const GtkWebContext&) = delete;
  GtkWebContext& operator=(const GtkWebContext&) = delete;

  // The folders of the installed program: "WebKit" in the user's data and cache folders
  // (XDG_DATA_HOME, XDG_CACHE_HOME) under the application's identifier.
  static std::string defaultDataDirectory(const std::string& applicationId);
  static std::string defaultCacheDirectory(const std::string& applicationId);

  WebKitWebContext* get();
  // A new web view of this context (a floating reference, as GTK makes widgets). It joins the web
  // process of a view made before that is still alive, so that a short-lived view (a page that
  // only runs a script) does not start a process of its own, which costs far more than its page;
  // it has settings of its own all the same.
  GtkWidget* makeWebView();
  const std::string& dataDirectory() const { return dataDirectory_; }

 private:
  std::string dataDirectory_;
  std::string cacheDirectory_;
  glib::GObjectPtr<WebKitWebContext> context_;
  // The view whose process later views join, while it lives.
  GWeakRef processAnchor_;
};

}  // namespace platform::gtk
