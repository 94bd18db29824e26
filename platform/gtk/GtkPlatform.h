#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <string>

#include "base/Expected.h"
#include "platform/Platform.h"
#include "platform/glib/ApplicationFolders.h"
#include "platform/glib/FileUserDefaults.h"
#include "platform/glib/GlibRunLoop.h"
#include "platform/gtk/DeviceScreenWindow.h"
#include "platform/gtk/GtkDesktopApplication.h"
#include "platform/gtk/GtkWebContext.h"

namespace platform::gtk {

// The desktop platform: GTK 3 windows on the GLib main loop (GLib's default main context),
// the machine's clocks and device facts, the console in the log, user defaults in a file (saved
// again when the application terminates). It is installed for its lifetime. It plays no sound,
// which banners do not need: a program that does adds the audio backend (platform/audio) to
// services() once the platform is made. Who the program is (its identifier, name, version and
// folder names) comes from the options' identity; nothing of it is fixed here.
//
// It serves one of two kinds of host. A program made by create() shows one device screen (a
// phone's or a tablet's, by idiom) on a GtkApplication of its own; the application's key window
// appears on it once the application has finished launching. A program made by embed() has its
// own windows and main loop and shows the library's views where it likes: the application is
// launched at once, stays active, has no status bar, and its screen is the desktop's.
class GtkPlatform {
 public:
  struct Options {
    UserInterfaceIdiom idiom = UserInterfaceIdiom::Phone;
    std::string resourcePath;
    // Where console lines go; the process's log (glib::StderrConsole) when not given.
    std::shared_ptr<Console> console;
    // The user defaults; the per-user file (FileUserDefaults::defaultPath) when not given.
    std::shared_ptr<UserDefaults> userDefaults;
    // The format of that file; a GVariant dictionary when not given.
    std::shared_ptr<const glib::FileUserDefaults::Format> userDefaultsFormat;
    // Where web views keep website data and caches; the user's data and cache folders when not
    // given.
    std::shared_ptr<GtkWebContext> webContext;
    // Starts WebKit's web process as the platform is made, so that the program's first page does
    // not wait for it (GtkWebContext::startWebProcess). For a program that shows a page at once;
    // one that may show none would start the process for nothing.
    bool startWebProcess = false;
    // Whether web pages are composited with the graphics hardware
    // (GtkWebContext::setHardwareAccelerated).
    bool hardwareAcceleration = true;
    // Who the program is; what is left empty is filled in (ApplicationIdentity::completed).
    glib::ApplicationIdentity identity;
  };

  static constexpr std::string_view kErrorDomain = "GtkPlatform";
  enum ErrorCode { NoDisplay = 1 };

  // The platform, or a NoDisplay error saying why when GTK cannot open a display.
  static base::Expected<std::unique_ptr<GtkPlatform>> create(Options options);
  // The platform of a host program with its own windows and loop, which iterates the default main
  // context itself (the library never runs it). application is the host's own, or nullptr when it
  // has none; it is only borrowed. run(), launch() and quit() are not for such a platform.
  static base::Expected<std::unique_ptr<GtkPlatform>> embed(Options options,
                                                            GtkApplication* application);
  ~GtkPlatform();
  GtkPlatform(const GtkPlatform&) = delete;
  GtkPlatform& operator=(const GtkPlatform&) = delete;

  // Runs the program until it quits and answers its exit status. On activation it calls
  // loadMainInterface (which answers whether the interface could be loaded — the program ends
  // with status 1 when not), launches the application, shows its key window on the device
  // screen and calls launched.
  int run(const std::string& programName, std::function<bool()> loadMainInterface,
          std::function<void()> launched = {});
  // The same launch without entering the loop, for tests that iterate runLoop() themselves.
  // Answers whether the interface loaded.
  bool launch(std::function<bool()> loadMainInterface, std::function<void()> launched = {});
  void quit();

  glib::GlibRunLoop& runLoop() { return *runLoop_; }
  GtkDesktopApplication& application() { return *application_; }
  // The installed platform's services, for a program that adds backends to them (sound, which
  // banners do not need) before it uses them.
  Platform& services() { return *platform_; }
  UserDefaults& userDefaults() { return *platform_->userDefaults; }
  const glib::ApplicationIdentity& identity() const { return identity_; }
  // The device screen's window, from launch on.
  DeviceScreenWindow* deviceScreen() { return deviceScreen_.get(); }

 private:
  // hosted: made by embed() on the host's application (which may be nullptr).
  GtkPlatform(Options options, bool hosted, GtkApplication* hostApplication);
  static base::Expected<void> openDisplay();
  static void activated(GApplication*, gpointer self);
  static void shutDown(GApplication*, gpointer self);
  void showDeviceScreen();
  void recordPreferredLanguages();

  Options options_;
  glib::ApplicationIdentity identity_;
  bool hosted_;
  glibsupport::GObjectPtr<GtkApplication> gtkApplication_;
  std::shared_ptr<Platform> platform_;
  std::shared_ptr<glib::GlibRunLoop> runLoop_;
  std::shared_ptr<GtkDesktopApplication> application_;
  std::unique_ptr<DeviceScreenWindow> deviceScreen_;
  std::function<bool()> loadMainInterface_;
  std::function<void()> launched_;
  bool interfaceLoaded_ = false;
};

}  // namespace platform::gtk
