#include "Classes/quillbeckInterface.h"

#include <filesystem>
#include <system_error>

#include "Classes/quillbeckAppDelegate.h"
#include "Classes/quillbeckInterfaceFile.h"
#include "Classes/quillbeckiPad.h"
#include "platform/Device.h"
#include "platform/core/Console.h"
#include "platform/ui/Button.h"
#include "platform/ui/Screen.h"

namespace quillbeckInterface {

std::string buildTreeAssets() {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path linked =
      fs::read_symlink("/proc/self/exe", error).parent_path() / "quillbeck-assets";
  if (error || !fs::is_directory(linked, error)) return {};
  return linked.string();
}

namespace {

std::string& folder() {
  static std::string folder = [] {
    const std::string assets = buildTreeAssets();
    return assets.empty() ? assets : assets + "/interface";
  }();
  return folder;
}

std::shared_ptr<platform::Button> makeButton(quillbeckViewController& screen,
                                             const quillbeckButtonDescription& description) {
  auto button = std::make_shared<platform::Button>(description.frame);
  button->setTitle(description.title);
  if (!description.imagePath.empty()) button->setImagePath(description.imagePath);
  button->setAutoresizingMask(description.autoresizingMask);
  button->setAction(
      [act = screen.actionNamed(description.action), sender = button.get()] { act(sender); });
  return button;
}

// The first button whose action the screen does not have, or nullptr.
const quillbeckButtonDescription* firstUnknownAction(quillbeckViewController& screen,
                                                     const quillbeckInterfaceFile& file) {
  for (const quillbeckButtonDescription& button : file.buttons()) {
    if (!screen.actionNamed(button.action)) return &button;
  }
  return nullptr;
}

}  // namespace

const std::string& interfaceFolder() {
  return folder();
}

void setInterfaceFolder(std::string path) {
  folder() = std::move(path);
}

std::shared_ptr<quillbeckAppDelegate> loadMainInterface() {
  bool tablet =
      platform::Device::current().userInterfaceIdiom() == platform::UserInterfaceIdiom::Pad;
  std::string path = folder() + (tablet ? "/tablet.json" : "/phone.json");
  auto file = quillbeckInterfaceFile::load(path);
  if (!file) {
    platform::Console::log("quillbeck: " + file.error().localizedDescription());
    return nullptr;
  }
  std::shared_ptr<quillbeckViewController> screen;
  if (tablet) {
    screen = std::make_shared<quillbeckiPad>();
  } else {
    screen = std::make_shared<quillbeckViewController>();
  }
  if (const quillbeckButtonDescription* unknown = firstUnknownAction(*screen, *file)) {
    platform::Console::log("quillbeck: the interface file " + path + " gives the button \"" +
                           unknown->title + "\" the action " + unknown->action +
                           ", which the screen does not have");
    return nullptr;
  }
  screen->setInterfaceFile(std::make_shared<const quillbeckInterfaceFile>(std::move(*file)));

  auto delegate = std::make_shared<quillbeckAppDelegate>();
  delegate->setWindow(std::make_shared<platform::Window>(platform::Screen::main().bounds()));
  delegate->setViewController(std::move(screen));
  platform::Application::shared().setDelegate(delegate);
  return delegate;
}

void loadSoundboardView(quillbeckViewController& screen, const quillbeckInterfaceFile* file) {
  auto view = std::make_shared<platform::View>(platform::Screen::main().applicationFrame());
  view->setBackgroundColor(file ? file->backgroundColor() : platform::Color::white());
  view->setAutoresizingMask(platform::kAutoresizingFlexibleWidth |
                            platform::kAutoresizingFlexibleHeight);
  screen.setView(view);
  if (!file) return;
  for (const quillbeckButtonDescription& description : file->buttons())
    view->addSubview(makeButton(screen, description));
}

}  // namespace quillbeckInterface
