// The program's entry: reads the command line, builds the desktop platform, and hands control to
// its application loop, which loads the main interface, launches the application and shows the
// soundboard on a device screen. Unless --ad-network names another, the reference ad network
// runs inside the program on 127.0.0.1 and serves the banner.
//
//   quillbeck [--device phone|tablet] [--silent] [--screenshot FILE] [--ad-network URL]
//   quillbeck --help | --version
//
// The assets (clips/ and interface/) are found in $QUILLBECK_ASSETS, else next to an installed
// program (../share/quillbeck), else, run from its build folder, in the source tree's.

#include <glib-unix.h>
#include <glib.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "Classes/quillbeckAdNetworkCheck.h"
#include "Classes/quillbeckDesktopBackends.h"
#include "Classes/quillbeckEarlierFiles.h"
#include "Classes/quillbeckIdentity.h"
#include "Classes/quillbeckInterface.h"
#include "Classes/quillbeckViewController.h"
#include "adnetwork/AdNetwork.h"
#include "ads/Configuration/TADAdNetwork.h"
#include "ads/Delegate/TADBannerViewDelegate.h"
#include "ads/View/TADBannerView.h"
#include "base/URL.h"
#include "platform/Application.h"
#include "platform/core/Console.h"
#include "platform/core/RunLoop.h"
#include "platform/glibsupport/GlibPtr.h"
#include "platform/gtk/GtkPlatform.h"
#include "platform/plist/PlistUserDefaults.h"
#include "platform/ui/Window.h"

namespace {

struct CommandLine {
  platform::UserInterfaceIdiom idiom = platform::UserInterfaceIdiom::Phone;
  bool silent = false;
  std::string screenshot;
  std::string adNetwork;
};

constexpr std::string_view kUsage =
    "usage: quillbeck [--device phone|tablet] [--silent] [--screenshot FILE] [--ad-network URL]\n"
    "       quillbeck --help | --version\n"
    "  --device      the device whose screen to show (default: phone)\n"
    "  --silent      play clips into no sound device\n"
    "  --screenshot  write the device screen to FILE (PNG) once the banner shows an ad (at most\n"
    "                15 seconds after start), then quit; exit status 1 if it cannot be saved\n"
    "  --ad-network  the ad network's origin, http[s]://host[:port] without a path, that serves\n"
    "                the page script and the ads (default: the reference network, run inside\n"
    "                the program)\n"
    "Ctrl+Left and Ctrl+Right turn the device; Ctrl+Q quits.\n";

// The command line, or nothing after saying what is wrong with it (exitStatus: 0 for --help).
std::optional<CommandLine> parse(int argc, char** argv, int& exitStatus) {
  CommandLine line;
  for (int i = 1; i < argc; ++i) {
    std::string_view argument = argv[i];
    bool hasValue = i + 1 < argc;
    if (argument == "--help" || argument == "-h") {
      std::fputs(kUsage.data(), stdout);
      exitStatus = EXIT_SUCCESS;
      return std::nullopt;
    }
    if (argument == "--version") {
      std::printf("quillbeck %s\n", TAD_VERSION);
      exitStatus = EXIT_SUCCESS;
      return std::nullopt;
    }
    if (argument == "--device" && hasValue) {
      std::string_view device = argv[++i];
      if (device != "phone" && device != "tablet") {
        std::fprintf(stderr, "quillbeck: unknown device \"%s\" (phone or tablet)\n", argv[i]);
        exitStatus = 2;
        return std::nullopt;
      }
      line.idiom = device == "tablet" ? platform::UserInterfaceIdiom::Pad
                                      : platform::UserInterfaceIdiom::Phone;
    } else if (argument == "--screenshot" && hasValue) {
      line.screenshot = argv[++i];
    } else if (argument == "--ad-network" && hasValue) {
      std::optional<std::string> origin = quillbeckAdNetworkCheck::origin(argv[++i]);
      if (!origin) {
        std::fprintf(stderr,
                     "quillbeck: the ad network must be an origin, http[s]://host[:port] "
                     "without a path, not \"%s\"\n",
                     argv[i]);
        exitStatus = 2;
        return std::nullopt;
      }
      line.adNetwork = *origin;
    } else if (argument == "--silent") {
      line.silent = true;
    } else {
      std::fprintf(stderr, "quillbeck: unknown or incomplete option \"%s\"\n%s", argv[i],
                   kUsage.data());
      exitStatus = 2;
      return std::nullopt;
    }
  }
  return line;
}

std::string assetsFolder() {
  namespace fs = std::filesystem;
  if (const char* configured = std::getenv("QUILLBECK_ASSETS"); configured && *configured) {
    return configured;
  }
  std::error_code error;
  fs::path installed =
      fs::read_symlink("/proc/self/exe", error).parent_path().parent_path() / "share" / "quillbeck";
  if (!error && fs::is_directory(installed / "interface", error)) return installed.string();
  std::string buildTree = quillbeckInterface::buildTreeAssets();
  return buildTree.empty() ? installed.string() : buildTree;
}

// The reference ad network on 127.0.0.1, the library pointed at it; nothing (said on the
// console) when it cannot listen, and the library keeps its default addresses.
std::unique_ptr<adnetwork::AdNetwork> startEmbeddedNetwork() {
  adnetwork::AdNetwork::Options options;
  // The program runs for days: the network remembers its latest requests, not all of them.
  options.keptRequests = 1000;
  auto started = adnetwork::AdNetwork::start(options);
  if (!started) {
    platform::Console::log("quillbeck: the embedded ad network did not start: " +
                           started.error().localizedDescription());
    return nullptr;
  }
  std::unique_ptr<adnetwork::AdNetwork> network = std::move(*started);
  TADAdNetwork::pointAt(network->origin());
  return network;
}

void moveEarlierFiles(const platform::glib::ApplicationIdentity& identity) {
  const std::filesystem::path earlier = std::filesystem::path(g_get_user_data_dir()) / "quillbeck";
  quillbeckMoveEarlierFile(earlier / (identity.applicationId + ".plist"),
                           platform::plist::PlistUserDefaults::defaultPath(identity));
  quillbeckMoveEarlierFile(earlier / "Documents", identity.documentsDirectory());
}

// The program's --screenshot: the device screen saved as a PNG file once the banner's first ad is
// painted, or after kTimeLimit in any case, saying so; then the program quits. The banner's
// delegate tells when the ad arrives; its web page paints a little after that, so the banner's
// place on the screen is looked at until it holds a picture.
class FirstAdScreenshot : public TADBannerViewDelegate,
                          public std::enable_shared_from_this<FirstAdScreenshot> {
 public:
  static constexpr double kTimeLimit = 15;
  static constexpr double kPollSeconds = 0.05;

  FirstAdScreenshot(platform::gtk::GtkPlatform& platform, std::string path)
      : platform_(platform), path_(std::move(path)) {}
  ~FirstAdScreenshot() override {
    platform::RunLoop::cancelOnMain(this);
    if (auto banner = banner_.lock()) banner->setDelegate({});
  }

  // Becomes the delegate of the soundboard's banner, if the key window shows the soundboard.
  void listenToSoundboard() {
    auto window = platform::Application::shared().keyWindow();
    auto screen =
        window ? std::dynamic_pointer_cast<quillbeckViewController>(window->rootViewController())
               : nullptr;
    if (!screen || !screen->bannerView()) return;
    banner_ = screen->bannerView();
    screen->bannerView()->setDelegate(weak_from_this());
  }
  // Starts the time limit; call once the device screen is drawn.
  void start() {
    started_ = true;
    platform::RunLoop::main().post(kTimeLimit, this, [this] { takeWithoutAd(); });
    if (adReceived_) lookForPaint();
  }
  // Whether the picture was taken but could not be written; the program's exit status says so.
  bool failed() const { return failed_; }

  void adViewDidReceiveAd(const std::shared_ptr<TADBannerView>&) override {
    if (adReceived_) return;
    adReceived_ = true;
    if (started_) lookForPaint();
  }

 private:
  void lookForPaint() {
    auto banner = banner_.lock();
    auto picture = platform_.deviceScreen()->snapshot();
    if (banner && picture && platform_.deviceScreen()->isPainted(*banner, *picture.get())) {
      save(picture.get());
      return;
    }
    platform::RunLoop::main().post(kPollSeconds, this, [this] { lookForPaint(); });
  }
  void takeWithoutAd() {
    platform::Console::log(
        "quillbeck: the banner showed no ad within 15 seconds; taking the screenshot without one");
    save(platform_.deviceScreen()->snapshot().get());
  }
  void save(GdkPixbuf* picture) {
    platform::RunLoop::cancelOnMain(this);
    glibsupport::GErrorPtr error;
    failed_ = !picture || !gdk_pixbuf_save(picture, path_.c_str(), "png", error.out(), nullptr);
    if (!failed_) {
      std::printf("%s\n", path_.c_str());
    } else {
      platform::Console::log("quillbeck: cannot save a screenshot to " + path_ +
                             (error ? std::string(": ") + error->message : std::string()));
    }
    platform_.quit();
  }

  platform::gtk::GtkPlatform& platform_;
  std::string path_;
  std::weak_ptr<TADBannerView> banner_;
  bool started_ = false;
  bool adReceived_ = false;
  bool failed_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  int exitStatus = EXIT_SUCCESS;
  std::optional<CommandLine> line = parse(argc, argv, exitStatus);
  if (!line) return exitStatus;

  std::string assets = assetsFolder();
  platform::gtk::GtkPlatform::Options options;
  options.idiom = line->idiom;
  options.identity.applicationId = quillbeckIdentity::kApplicationId;
  options.identity.name = quillbeckIdentity::kName;
  options.identity.version = quillbeckIdentity::kVersion;
  options.identity = options.identity.completed();
  moveEarlierFiles(options.identity);
  options.resourcePath = assets + "/clips";
  // The banner's first ad is the first thing the screen waits for.
  options.startWebProcess = true;
  // The banner and the pages it opens are a handheld screen's size, which the processor draws at
  // once; composited, the banner's first ad waited for GL to be set up as it was first shown.
  options.hardwareAcceleration = false;
  quillbeckDesktopBackends::prepare(options);
  auto created = platform::gtk::GtkPlatform::create(options);
  if (!created) {
    std::fprintf(stderr, "quillbeck: %s\n", created.error().localizedDescription().c_str());
    return EXIT_FAILURE;
  }
  std::unique_ptr<platform::gtk::GtkPlatform> platform = std::move(*created);
  quillbeckDesktopBackends::addTo(*platform,
                                  line->silent || !line->screenshot.empty()
                                      ? platform::audio::GstAudioBackend::Output::Silent
                                      : platform::audio::GstAudioBackend::Output::Automatic);
  if (!std::filesystem::is_directory(options.resourcePath)) {
    platform::Console::log("quillbeck: no clips folder at " + options.resourcePath +
                           " (set QUILLBECK_ASSETS to the assets folder)");
  }
  quillbeckInterface::setInterfaceFolder(assets + "/interface");
  std::unique_ptr<adnetwork::AdNetwork> network;
  if (line->adNetwork.empty()) {
    network = startEmbeddedNetwork();
  } else {
    TADAdNetwork::pointAt(line->adNetwork);
  }
  quillbeckAdNetworkCheck adNetworkCheck(network ? network->origin() : line->adNetwork);
  adNetworkCheck.start();

  auto loadMainInterface = [] { return quillbeckInterface::loadMainInterface() != nullptr; };
  std::function<void()> launched;
  std::shared_ptr<FirstAdScreenshot> screenshot;
  if (!line->screenshot.empty()) {
    screenshot = std::make_shared<FirstAdScreenshot>(*platform, line->screenshot);
    launched = [&platform, &screenshot] {
      screenshot->listenToSoundboard();
      platform->deviceScreen()->whenDrawn([&screenshot] { screenshot->start(); });
    };
  }
  // The end of a session (SIGTERM) or Ctrl+C in a terminal quits as Ctrl+Q does, with status 0.
  auto quit = [](gpointer platform) -> gboolean {
    static_cast<platform::gtk::GtkPlatform*>(platform)->quit();
    return G_SOURCE_CONTINUE;
  };
  const guint interrupt = g_unix_signal_add(SIGINT, quit, platform.get());
  const guint terminate = g_unix_signal_add(SIGTERM, quit, platform.get());
  int status = platform->run(argv[0], loadMainInterface, launched);
  g_source_remove(interrupt);
  g_source_remove(terminate);
  if (screenshot && screenshot->failed() && status == EXIT_SUCCESS) status = EXIT_FAILURE;
  screenshot.reset();
  return status;
}
