#include "platform/gtk/GtkPlatform.h"

#include "platform/glib/FileUserDefaults.h"
#include "platform/glib/GioReachability.h"
#include "platform/glib/GlibClock.h"
#include "platform/glib/LinuxDevice.h"
#include "platform/glib/LinuxLocale.h"
#include "platform/glib/SoupURLLoading.h"
#include "platform/glib/StderrConsole.h"
#include "platform/glib/VariantUserDefaultsFormat.h"
#include "platform/gtk/DeviceScreen.h"
#include "platform/gtk/GtkViewBackend.h"
#include "platform/gtk/HostScreen.h"

namespace platform::gtk {

base::Expected<std::unique_ptr<GtkPlatform>> GtkPlatform::create(Options options) {
  if (base::Expected<void> display = openDisplay(); !display) return display.error();
  return std::unique_ptr<GtkPlatform>(new GtkPlatform(std::move(options), false, nullptr));
}

base::Expected<std::unique_ptr<GtkPlatform>> GtkPlatform::embed(Options options,
                                                                GtkApplication* application) {
  if (base::Expected<void> display = openDisplay(); !display) return display.error();
  return std::unique_ptr<GtkPlatform>(new GtkPlatform(std::move(options), true, application));
}

namespace {

// What GApplication takes as an identifier (a program's name, the default, is often not one): the
// application identifier, or none.
const char* gtkApplicationId(const glib::ApplicationIdentity& identity) {
  const char* id = identity.applicationId.c_str();
  return g_application_id_is_valid(id) ? id : nullptr;
}

}  // namespace

base::Expected<void> GtkPlatform::openDisplay() {
  if (gtk_init_check(nullptr, nullptr)) return {};
  const char* display = g_getenv("DISPLAY");
  return base::Error::withDescription(
      std::string(kErrorDomain), NoDisplay,
      display && *display ? std::string("cannot open the display ") + display
                          : std::string("no display: DISPLAY is not set (run it in a desktop "
                                        "session, or under xvfb-run)"));
}

GtkPlatform::GtkPlatform(Options options, bool hosted, GtkApplication* hostApplication)
    : options_(std::move(options)),
      identity_(options_.identity.completed()),
      hosted_(hosted),
      // Every run of the device screen is a device of its own, so a second one does not hand over
      // to the first.
      gtkApplication_(hosted ? glibsupport::retain(hostApplication)
                             : glibsupport::adopt(gtk_application_new(gtkApplicationId(identity_),
                                                                      G_APPLICATION_NON_UNIQUE))),
      platform_(std::make_shared<Platform>()),
      runLoop_(std::make_shared<glib::GlibRunLoop>()),
      application_(std::make_shared<GtkDesktopApplication>(gtkApplication_.get())) {
  std::shared_ptr<GtkWebContext> webContext =
      options_.webContext
          ? options_.webContext
          : std::make_shared<GtkWebContext>(identity_.dataDirectory() + "/WebKit",
                                            identity_.cachesDirectory() + "/WebKit");
  webContext->setHardwareAccelerated(options_.hardwareAcceleration);
  // First: the process starts while the rest of the program does.
  if (options_.startWebProcess) webContext->startWebProcess();
  platform_->runLoop = runLoop_;
  platform_->clock = std::make_shared<glib::GlibClock>();
  platform_->console =
      options_.console ? options_.console : std::make_shared<glib::StderrConsole>();
  platform_->notificationCenter = std::make_shared<NotificationCenter>();
  platform_->application = application_;
  platform_->device = std::make_shared<glib::LinuxDevice>(options_.idiom);
  if (hosted_) {
    platform_->screen = std::make_shared<HostScreen>();
  } else {
    platform_->screen = std::make_shared<DeviceScreen>(*application_, options_.idiom);
  }
  platform_->mainBundle = std::make_shared<Bundle>(options_.resourcePath);
  platform_->mainBundle->setBundleIdentifier(identity_.applicationId);
  if (!identity_.version.empty()) platform_->mainBundle->setBundleVersion(identity_.version);
  // None of the folders is made yet on a fresh machine; whoever keeps files there creates it.
  platform_->documentsDirectory = identity_.documentsDirectory();
  platform_->cachesDirectory = identity_.cachesDirectory();
  platform_->views = std::make_shared<GtkViewBackend>(std::move(webContext));
  platform_->reachability = std::make_shared<glib::GioReachability>();
  platform_->urlLoading = std::make_shared<glib::SoupURLLoading>(runLoop_);
  Platform::install(platform_);
  // After the install: reading a damaged file says so on the console.
  if (options_.userDefaults) {
    platform_->userDefaults = options_.userDefaults;
  } else {
    std::shared_ptr<const glib::FileUserDefaults::Format> format =
        options_.userDefaultsFormat ? options_.userDefaultsFormat
                                    : glib::VariantUserDefaultsFormat::shared();
    platform_->userDefaults = std::make_shared<glib::FileUserDefaults>(
        glib::FileUserDefaults::defaultPath(identity_, *format), format);
  }
  recordPreferredLanguages();

  if (gtkApplication_)
    g_signal_connect(gtkApplication_.get(), "shutdown", G_CALLBACK(shutDown), this);
  if (!hosted_) {
    g_signal_connect(gtkApplication_.get(), "activate", G_CALLBACK(activated), this);
    return;
  }
  // The host's windows are on screen already, or soon: the application is running.
  application_->setStatusBarHidden(true, false);
  application_->finishLaunching();
}

// The library reads the user's languages from the user defaults, where the platform it was written
// for keeps them; here they follow the locale of each launch.
void GtkPlatform::recordPreferredLanguages() {
  base::Array languages;
  for (std::string& tag : glib::LinuxLocale::preferredLanguages())
    languages.emplace_back(std::move(tag));
  if (languages.empty()) {
    platform_->userDefaults->removeObjectForKey("AppleLanguages");
  } else {
    platform_->userDefaults->setObject("AppleLanguages", std::move(languages));
  }
}

GtkPlatform::~GtkPlatform() {
  if (gtkApplication_) g_signal_handlers_disconnect_by_data(gtkApplication_.get(), this);
  // A host may end without its application's shutdown (or have none): the library still hears
  // that it terminates, and its defaults are saved.
  if (hosted_ && !application_->hasTerminated()) {
    application_->terminateOnce();
    platform_->userDefaults->synchronize();
  }
  // What the application holds (its window, screens and players) goes while the platform it was
  // made on is still installed, and before the desktop window.
  application_->setDelegate(nullptr);
  application_->setDeviceScreen(nullptr);
  deviceScreen_.reset();
  Platform::uninstall(*platform_);
  application_.reset();
}

int GtkPlatform::run(const std::string& programName, std::function<bool()> loadMainInterface,
                     std::function<void()> launched) {
  loadMainInterface_ = std::move(loadMainInterface);
  launched_ = std::move(launched);
  // The program reads its own options; GApplication sees only the name.
  char* argv[] = {const_cast<char*>(programName.c_str()), nullptr};
  int status = g_application_run(G_APPLICATION(gtkApplication_.get()), 1, argv);
  if (!interfaceLoaded_) return 1;
  return status;
}

bool GtkPlatform::launch(std::function<bool()> loadMainInterface, std::function<void()> launched) {
  loadMainInterface_ = std::move(loadMainInterface);
  launched_ = std::move(launched);
  glibsupport::GErrorPtr error;
  if (!g_application_register(G_APPLICATION(gtkApplication_.get()), nullptr, error.out())) {
    Console::log(std::string("application: cannot register: ") + error->message);
    return false;
  }
  g_application_activate(G_APPLICATION(gtkApplication_.get()));
  return interfaceLoaded_;
}

void GtkPlatform::quit() {
  g_application_quit(G_APPLICATION(gtkApplication_.get()));
}

void GtkPlatform::activated(GApplication*, gpointer self) {
  auto* platform = static_cast<GtkPlatform*>(self);
  if (platform->deviceScreen_) {  // activated again: bring the screen forward
    gtk_window_present(platform->deviceScreen_->gtkWindow());
    return;
  }
  platform->interfaceLoaded_ = !platform->loadMainInterface_ || platform->loadMainInterface_();
  if (!platform->interfaceLoaded_) {
    platform->quit();
    return;
  }
  platform->showDeviceScreen();
  if (platform->launched_) platform->launched_();
}

void GtkPlatform::showDeviceScreen() {
  Size size = platform_->screen->bounds().size;
  deviceScreen_ = std::make_unique<DeviceScreenWindow>(gtkApplication_.get(), size, *application_,
                                                       identity_.name);
  application_->setDeviceScreen(deviceScreen_.get());
  deviceScreen_->setStatusBarHidden(application_->isStatusBarHidden());
  application_->finishLaunching();
  std::shared_ptr<Window> window = application_->keyWindow();
  if (!window) Console::log("device screen: the application made no window key and visible");
  deviceScreen_->show(window);
}

void GtkPlatform::shutDown(GApplication*, gpointer self) {
  auto* platform = static_cast<GtkPlatform*>(self);
  platform->application_->terminateOnce();
  platform->platform_->userDefaults->synchronize();
}

}  // namespace platform::gtk
