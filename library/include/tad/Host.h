#pragma once

#include <memory>
#include <string>

#include "tad/Export.h"
#include "tad/Identity.h"

typedef struct _GtkApplication GtkApplication;

namespace tad {

// The library inside a GTK 3 program that has its own windows and main loop. While the host
// lives, the library works on GLib's default main context — whatever iterates it (gtk_main,
// g_application_run, a loop of the program's own) runs the library's work too — and knows the
// program by its identity. One host at a time, made on the thread that runs the loop, before any
// banner and gone after the last: one destroyed while banners live logs a critical, and those
// banners close their screens and show no more ads.
class TAD_EXPORT Host {
 public:
  // The host, or nullptr with the reason in error when GTK cannot open a display or another
  // host is alive. application is the program's own, when it has one; it is only borrowed, and
  // its shutdown tells the library that the program ends.
  static std::unique_ptr<Host> create(const Identity& identity,
                                      GtkApplication* application = nullptr,
                                      std::string* error = nullptr);
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // The identity with what was left empty filled in.
  const Identity& identity() const;

  // This device's identifier as Request::setTestDevices takes it: a program shows it to its
  // developers, who list it to get test ads here. It is keyed to the application identifier, so
  // two programs on one machine have two, and it stays the same from run to run.
  std::string deviceIdentifier() const;

  // Points the library at the ad network at origin ("http://host[:port]" or https), which
  // serves the page script and the ads; set it before the first banner loads. Answers false,
  // and changes nothing, for anything but such an origin (a path, a query, another scheme).
  bool setAdNetwork(const std::string& origin);

 private:
  struct Impl;
  explicit Host(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace tad
