#include "Classes/quillbeckInterface.h"

#include <algorithm>

#include "Classes/quillbeckAppDelegate.h"
#include "Classes/quillbeckClips.h"
#include "Classes/quillbeckiPad.h"
#include "platform/Button.h"
#include "platform/Device.h"
#include "platform/Screen.h"

namespace quillbeckInterface {

namespace {

constexpr double kBannerHeight = 50;
constexpr double kMargin = 10;
constexpr double kGap = 6;
constexpr int kColumns = 2;
constexpr int kRows = static_cast<int>(kClips.size()) / kColumns + 1;  // the stop button's row

std::shared_ptr<platform::Button> makeButton(quillbeckViewController& screen,
                                             std::string_view title, std::string_view action,
                                             const platform::Rect& frame) {
  auto button = std::make_shared<platform::Button>(frame);
  button->setTitle(std::string(title));
  button->setAction([act = screen.actionNamed(action), sender = button.get()] { act(sender); });
  return button;
}

}  // namespace

std::shared_ptr<quillbeckAppDelegate> loadMainInterface() {
  auto delegate = std::make_shared<quillbeckAppDelegate>();
  delegate->setWindow(std::make_shared<platform::Window>(platform::Screen::main().bounds()));
  bool tablet =
      platform::Device::current().userInterfaceIdiom() == platform::UserInterfaceIdiom::Pad;
  if (tablet) {
    delegate->setViewController(std::make_shared<quillbeckiPad>());
  } else {
    delegate->setViewController(std::make_shared<quillbeckViewController>());
  }
  platform::Application::shared().setDelegate(delegate);
  return delegate;
}

void loadSoundboardView(quillbeckViewController& screen) {
  auto view = std::make_shared<platform::View>(platform::Screen::main().applicationFrame());
  view->setBackgroundColor(platform::Color::white());
  view->setAutoresizingMask(platform::kAutoresizingFlexibleWidth |
                            platform::kAutoresizingFlexibleHeight);
  screen.setView(view);

  double width = view->frame().width();
  double height = view->frame().height() - kBannerHeight;
  double columnWidth = (width - 2 * kMargin - (kColumns - 1) * kGap) / kColumns;
  double rowHeight = std::min(60.0, (height - 2 * kMargin - (kRows - 1) * kGap) / kRows);
  for (size_t i = 0; i < kClips.size(); ++i) {
    int row = static_cast<int>(i) / kColumns;
    int column = static_cast<int>(i) % kColumns;
    platform::Rect frame(kMargin + column * (columnWidth + kGap),
                         kMargin + row * (rowHeight + kGap), columnWidth, rowHeight);
    view->addSubview(makeButton(screen, kClips[i].resource, kClips[i].action, frame));
  }
  platform::Rect stopFrame(kMargin, kMargin + (kRows - 1) * (rowHeight + kGap), width - 2 * kMargin,
                           rowHeight);
  view->addSubview(makeButton(screen, "Stop", kStopAction, stopFrame));
}

}  // namespace quillbeckInterface
