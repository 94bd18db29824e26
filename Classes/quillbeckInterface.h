#pragma once

#include <memory>
#include <string>

class quillbeckAppDelegate;
class quillbeckInterfaceFile;
class quillbeckViewController;

// The application's interface: which objects the program starts with, and how the soundboard
// screen looks, read from the interface file of the device family — "phone.json" or
// "tablet.json" in the interface folder (see quillbeckInterfaceFile for their form).
namespace quillbeckInterface {

// The source tree's assets ("…/assets") when the running program lies in a build folder, which
// links them beside its programs as "quillbeck-assets"; empty for an installed program, which so
// holds no path of the machine it was built on.
std::string buildTreeAssets();

// The folder of the interface files; by default the one in buildTreeAssets() (none when empty).
const std::string& interfaceFolder();
void setInterfaceFolder(std::string folder);

// Builds what the main interface holds — the delegate, the window filling the screen and the
// soundboard screen for this device (quillbeckiPad on tablets, quillbeckViewController
// otherwise) with the buttons of its interface file — and makes the delegate the application's.
// A missing, malformed or unusable interface file (a button sending an action the screen does not
// have) gives nothing, and a console line that says what is wrong.
std::shared_ptr<quillbeckAppDelegate> loadMainInterface();

// Gives screen its root view, filling the application frame, with the buttons that file
// describes (none without a file).
void loadSoundboardView(quillbeckViewController& screen, const quillbeckInterfaceFile* file);

}  // namespace quillbeckInterface
