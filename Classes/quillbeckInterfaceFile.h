#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Expected.h"
#include "platform/ui/Geometry.h"

// One button of a soundboard screen as its interface file describes it.
struct quillbeckButtonDescription {
  std::string title;
  std::string action;  // the screen's action it sends: "plimsk:", "stop:"
  platform::Rect frame;
  std::string imagePath;  // a file that exists, or empty
  unsigned autoresizingMask = 0;
};

// A soundboard screen's interface file: the screen's background colour and its buttons, in JSON.
//
//   { "background": [1, 1, 1, 1],
//     "buttons": [ { "title": "plimsk", "action": "plimsk:", "frame": [10, 10, 147, 43],
//                    "image": "clip.png", "autoresizing": ["flexibleLeftMargin"] }, … ] }
//
// "background" (red, green, blue, alpha from 0 to 1), "image" (relative to the file's folder) and
// "autoresizing" (flexibleLeftMargin, flexibleWidth, flexibleRightMargin, flexibleTopMargin,
// flexibleHeight, flexibleBottomMargin) are optional. A file that breaks these rules anywhere is
// refused as a whole, with an error (of kErrorDomain) whose description names the file and the
// place.
class quillbeckInterfaceFile {
 public:
  static constexpr std::string_view kErrorDomain = "quillbeckInterfaceFile";
  enum ErrorCode { CannotRead = 1, Malformed = 2 };

  static base::Expected<quillbeckInterfaceFile> load(const std::string& path);
  // text as read from a file in folder (where images are found).
  static base::Expected<quillbeckInterfaceFile> parse(std::string_view text,
                                                      const std::string& folder);

  const platform::Color& backgroundColor() const { return backgroundColor_; }
  const std::vector<quillbeckButtonDescription>& buttons() const { return buttons_; }

 private:
  platform::Color backgroundColor_ = platform::Color::white();
  std::vector<quillbeckButtonDescription> buttons_;
};
