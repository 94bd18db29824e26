// Takes the README's pictures of the full-screen ad screens: the soundboard, showing an ad of the
// embedded reference network, with the in-app browser and then the web app screen over it.
//
//   screenshots FOLDER [--device phone|tablet]
//   screenshots --help | --version
//
// writes FOLDER/screenshot-browser.png and FOLDER/screenshot-webapp.png. It needs a display (run
// it under xvfb-run where there is none); nothing of the user's is read or written: settings stay
// in memory and web data and caches go to a temporary folder.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Classes/quillbeckDesktopBackends.h"
#include "Classes/quillbeckIdentity.h"
#include "Classes/quillbeckInterface.h"
#include "adnetwork/AdNetwork.h"
#include "ads/Browser/TADBrowserController.h"
#include "ads/Configuration/TADAdNetwork.h"
#include "ads/View/TADWebView.h"
#include "ads/WebApp/TADWebAppViewController.h"
#include "platform/Application.h"
#include "platform/gtk/GtkPlatform.h"
#include "platform/gtk/GtkWebContext.h"
#include "platform/ui/Window.h"

namespace {

namespace fs = std::filesystem;
using platform::gtk::GtkPlatform;

// The web app screen's page: what an ad might open full screen.
constexpr std::string_view kWebAppPage = R"(<!DOCTYPE html>
<html><head><meta name="viewport" content="width=device-width">
<style>
  body { margin: 0; font: 17px sans-serif; color: #fff;
         background: linear-gradient(#1d6fd8, #0b3a78); height: 100vh; }
  h1 { margin: 0; padding: 72px 24px 8px; font-size: 30px; }
  p { margin: 0 24px 16px; line-height: 1.4; }
  a { display: inline-block; margin: 8px 24px; padding: 12px 22px; border-radius: 22px;
      background: #ffd23f; color: #0b3a78; font-weight: bold; text-decoration: none; }
</style></head>
<body><h1>Lumenfield Weather</h1>
<p>Today: bright spells, 18&deg;. Tomorrow: showers clearing by noon.</p>
<p>A web app that an ad opened over the soundboard; the button at the top left closes it.</p>
<a href="#">See the week</a></body></html>)";

class TemporaryFolder {
 public:
  TemporaryFolder() {
    char name[] = "/tmp/quillbeck-screenshots-XXXXXX";
    if (::mkdtemp(name)) path_ = name;
  }
  ~TemporaryFolder() {
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

class ScreenshotTaker {
 public:
  ScreenshotTaker(GtkPlatform& platform, std::string folder)
      : platform_(platform), folder_(std::move(folder)) {}

  bool waitFor(const std::function<bool()>& done, double seconds = 15) {
    return platform_.runLoop().runUntil(done, seconds);
  }
  // Lets the slide-up animation end and WebKit paint.
  void settle() { platform_.runLoop().runFor(1.0); }

  bool save(const std::string& name) {
    std::string path = folder_ + "/" + name;
    if (base::Expected<void> saved = platform_.deviceScreen()->saveScreenshot(path); !saved) {
      std::fprintf(stderr, "screenshots: %s\n", saved.error().localizedDescription().c_str());
      return false;
    }
    std::printf("%s\n", path.c_str());
    return true;
  }

 private:
  GtkPlatform& platform_;
  std::string folder_;
};

std::shared_ptr<platform::ViewController> soundboard() {
  auto window = platform::Application::shared().keyWindow();
  return window ? window->rootViewController() : nullptr;
}

bool browserOverSoundboard(ScreenshotTaker& taker, const std::string& landingPage) {
  auto browser = TADBrowserController::init();
  browser->load(base::URL::fromString(landingPage));
  browser->presentFromViewController(soundboard());
  auto vars = browser->vars();
  bool loaded = taker.waitFor([&] { return vars->spinner && vars->spinner->isAnimating(); }) &&
                taker.waitFor([&] { return !vars->spinner->isAnimating(); });
  taker.settle();
  bool saved = loaded && taker.save("screenshot-browser.png");
  browser->relinquishScreen();
  taker.waitFor([] { return !soundboard()->modalViewController(); });
  return saved;
}

bool webAppOverSoundboard(ScreenshotTaker& taker, const std::string& origin) {
  auto screen = TADWebAppViewController::init();
  screen->loadHTML(std::string(kWebAppPage), base::URL::fromString(origin + "/"));
  screen->presentFromViewController(soundboard());
  bool loaded = taker.waitFor([&] { return !screen->vars()->loadingSpinner; });
  taker.settle();
  bool saved = loaded && taker.save("screenshot-webapp.png");
  screen->relinquishScreen();
  taker.waitFor([] { return !soundboard()->modalViewController(); });
  return saved;
}

constexpr const char kUsage[] =
    "usage: screenshots FOLDER [--device phone|tablet]\n"
    "       screenshots --help | --version\n"
    "Writes FOLDER/screenshot-browser.png and FOLDER/screenshot-webapp.png: the in-app browser\n"
    "and a web app screen over the soundboard, on the phone's screen or the tablet's. Needs a\n"
    "display. Exit status: 0 done, 1 a picture could not be taken, 2 usage.\n";

struct CommandLine {
  std::string folder;
  platform::UserInterfaceIdiom idiom = platform::UserInterfaceIdiom::Phone;
};

// The command line, or nothing after answering --help or --version (status 0) or saying what is
// wrong with it (status 2).
std::optional<CommandLine> parse(int argc, char** argv, int& status) {
  CommandLine line;
  status = 2;
  for (int i = 1; i < argc; ++i) {
    std::string_view argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      std::fputs(kUsage, stdout);
      status = EXIT_SUCCESS;
      return std::nullopt;
    }
    if (argument == "--version") {
      std::printf("screenshots %s\n", TAD_VERSION);
      status = EXIT_SUCCESS;
      return std::nullopt;
    }
    if (argument == "--device" && i + 1 < argc) {
      std::string_view device = argv[++i];
      if (device != "phone" && device != "tablet") {
        std::fprintf(stderr, "screenshots: unknown device \"%s\" (phone or tablet)\n", argv[i]);
        return std::nullopt;
      }
      line.idiom = device == "tablet" ? platform::UserInterfaceIdiom::Pad
                                      : platform::UserInterfaceIdiom::Phone;
    } else if (argument.starts_with("-") || !line.folder.empty()) {
      std::fprintf(stderr, "screenshots: unexpected argument \"%s\"\n%s", argv[i], kUsage);
      return std::nullopt;
    } else {
      line.folder = argument;
    }
  }
  if (line.folder.empty()) {
    std::fprintf(stderr, "screenshots: missing FOLDER\n%s", kUsage);
    return std::nullopt;
  }
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  int status = EXIT_SUCCESS;
  std::optional<CommandLine> line = parse(argc, argv, status);
  if (!line) return status;
  const std::string& folder = line->folder;
  const platform::UserInterfaceIdiom idiom = line->idiom;

  TemporaryFolder scratch;
  ::setenv("XDG_CACHE_HOME", scratch.path().c_str(), 1);
  auto started = adnetwork::AdNetwork::start({});
  if (!started) {
    std::fprintf(stderr, "screenshots: %s\n", started.error().localizedDescription().c_str());
    return EXIT_FAILURE;
  }
  std::unique_ptr<adnetwork::AdNetwork> network = std::move(*started);
  TADAdNetwork::pointAt(network->origin());

  GtkPlatform::Options options;
  options.idiom = idiom;
  options.identity.applicationId = quillbeckIdentity::kApplicationId;
  options.identity.name = quillbeckIdentity::kName;
  options.identity.version = quillbeckIdentity::kVersion;
  options.identity = options.identity.completed();
  options.resourcePath = std::string(QUILLBECK_SOURCE_ASSETS) + "/clips";
  options.userDefaults = std::make_shared<platform::UserDefaults>();
  options.webContext = std::make_shared<platform::gtk::GtkWebContext>(scratch.path() + "/data",
                                                                      scratch.path() + "/cache");
  auto created = GtkPlatform::create(options);
  if (!created) {
    std::fprintf(stderr, "screenshots: %s\n", created.error().localizedDescription().c_str());
    return EXIT_FAILURE;
  }
  std::unique_ptr<GtkPlatform> platform = std::move(*created);
  quillbeckDesktopBackends::addTo(*platform, platform::audio::GstAudioBackend::Output::Silent);
  quillbeckInterface::setInterfaceFolder(std::string(QUILLBECK_SOURCE_ASSETS) + "/interface");
  if (!platform->launch([] { return quillbeckInterface::loadMainInterface() != nullptr; })) {
    std::fputs("screenshots: the soundboard did not start\n", stderr);
    return EXIT_FAILURE;
  }

  ScreenshotTaker taker(*platform, folder);
  // The soundboard's banner shows its first ad before anything covers it.
  taker.waitFor([&] { return network->count("/track/impression") > 0; });
  bool ok = browserOverSoundboard(taker, network->origin() + "/landing/orchard-fair/1") &&
            webAppOverSoundboard(taker, network->origin());
  return ok ? EXIT_SUCCESS : EXIT_FAILURE;
}
