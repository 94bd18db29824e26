#pragma once

#include <memory>

class quillbeckAppDelegate;
class quillbeckViewController;

// The application's interface: which objects the program starts with and how the soundboard
// screen looks.
namespace quillbeckInterface {

// Builds what the main interface holds — the delegate, the window filling the screen and the
// soundboard screen for this device (quillbeckiPad on tablets, quillbeckViewController
// otherwise) — and makes the delegate the application's.
std::shared_ptr<quillbeckAppDelegate> loadMainInterface();

// Gives screen its root view, filling the application frame, with the fourteen clip buttons in
// two columns and the stop button beneath them, clear of the banner's strip at the bottom.
void loadSoundboardView(quillbeckViewController& screen);

}  // namespace quillbeckInterface
