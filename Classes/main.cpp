// The program's entry: builds the platform, loads the main interface, launches the application
// and runs it.
//
// This build runs on the simulated platform: it launches the soundboard headless, shows what is on
// its screen, plays the clips named on the command line, and quits.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Classes/quillbeckAppDelegate.h"
#include "Classes/quillbeckInterface.h"
#include "Classes/quillbeckiPad.h"
#include "ads/View/TADBannerView.h"
#include "platform/Button.h"
#include "platform/sim/SimPlatform.h"

namespace {

std::string resourcePath() {
  if (const char* configured = std::getenv("QUILLBECK_RESOURCES")) return configured;
  return QUILLBECK_RESOURCE_DIR;
}

void printScreen(quillbeckViewController& screen) {
  std::printf("%s screen, view %gx%g\n", dynamic_cast<quillbeckiPad*>(&screen) ? "tablet" : "phone",
              screen.view()->frame().width(), screen.view()->frame().height());
  for (const auto& subview : screen.view()->subviews()) {
    const platform::Rect& f = subview->frame();
    auto* button = dynamic_cast<platform::Button*>(subview.get());
    std::printf("  %-14s at %g,%g size %gx%g\n", button ? button->title().c_str() : "ad banner",
                f.minX(), f.minY(), f.width(), f.height());
  }
}

}  // namespace

int main(int argc, char** argv) {
  platform::sim::SimPlatform platform(resourcePath());
  bool tablet = argc > 2 && std::string(argv[1]) == "--device" && std::string(argv[2]) == "tablet";
  if (tablet) platform.becomeTablet();

  std::shared_ptr<quillbeckAppDelegate> delegate = quillbeckInterface::loadMainInterface();
  platform.application().finishLaunching();
  platform.runLoop().runUntilIdle();
  quillbeckViewController& screen = *delegate->viewController();
  printScreen(screen);

  for (int i = tablet ? 3 : 1; i < argc; ++i) {
    auto action = screen.actionNamed(std::string(argv[i]) + ":");
    if (!action) {
      std::fprintf(stderr, "quillbeck: no clip named %s\n", argv[i]);
      continue;
    }
    action(nullptr);
    platform.runLoop().advance(5);
  }
  for (const std::string& line : platform.console().lines())
    std::fprintf(stderr, "%s\n", line.c_str());
  for (const std::string& event : platform.audio().events())
    std::printf("audio: %s\n", event.c_str());
  platform.application().terminate();
  return EXIT_SUCCESS;
}
