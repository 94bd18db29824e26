#include "Classes/quillbeckInterfaceFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <sstream>

#include "base/Value.h"
#include "json/TAD_VeskJSON.h"
#include "platform/ui/View.h"

namespace {

constexpr std::array<std::pair<std::string_view, unsigned>, 6> kAutoresizingNames{{
    {"flexibleLeftMargin", platform::kAutoresizingFlexibleLeftMargin},
    {"flexibleWidth", platform::kAutoresizingFlexibleWidth},
    {"flexibleRightMargin", platform::kAutoresizingFlexibleRightMargin},
    {"flexibleTopMargin", platform::kAutoresizingFlexibleTopMargin},
    {"flexibleHeight", platform::kAutoresizingFlexibleHeight},
    {"flexibleBottomMargin", platform::kAutoresizingFlexibleBottomMargin},
}};

// A key as the messages quote it. Built by appending: GCC 12 at -O3 warns of an overlap (that
// cannot happen) in "text" + std::string.
std::string quoted(std::string_view key) {
  return std::string("\"").append(key).append("\"");
}

bool isFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Reads the parts of one file, keeping the first problem it meets.
class Reader {
 public:
  explicit Reader(std::string folder) : folder_(std::move(folder)) {}

  bool fail(const std::string& where, const std::string& what) {
    problem_ = where + ": " + what;
    return false;
  }
  const std::string& problem() const { return problem_; }

  // count numbers in an array; every one within [low, high].
  bool readNumbers(const base::Value& value, size_t count, double low, double high,
                   const std::string& where, std::vector<double>& numbers) {
    const base::Array* array = value.asArray();
    if (!array || array->size() != count) {
      return fail(where, "expected an array of " + std::to_string(count) + " numbers");
    }
    for (const base::Value& element : *array) {
      if (!element.isNumber()) return fail(where, "expected numbers only");
      double number = element.toDouble();
      if (!(number >= low && number <= high)) return fail(where, "a number is out of range");
      numbers.push_back(number);
    }
    return true;
  }

  bool readString(const base::Value& button, std::string_view key, const std::string& where,
                  std::string& text, bool required) {
    const base::Value* value = button.find(key);
    if (!value) return required ? fail(where, quoted(key).append(" is missing")) : true;
    std::optional<std::string_view> string = value->asString();
    if (!string || string->empty()) {
      return fail(where, quoted(key).append(" must be a text that is not empty"));
    }
    text = *string;
    return true;
  }

  bool readAutoresizing(const base::Value& value, const std::string& where, unsigned& mask) {
    const base::Array* names = value.asArray();
    if (!names) return fail(where, "\"autoresizing\" must be an array of names");
    for (const base::Value& name : *names) {
      std::optional<std::string_view> text = name.asString();
      auto known = std::find_if(kAutoresizingNames.begin(), kAutoresizingNames.end(),
                                [&](const auto& entry) { return text && entry.first == *text; });
      if (known == kAutoresizingNames.end()) {
        std::string named = "unknown autoresizing ";
        if (text) {
          named.append("\"").append(*text).append("\"");
        } else {
          named += name.description();
        }
        return fail(where, named);
      }
      mask |= known->second;
    }
    return true;
  }

  bool readButton(const base::Value& value, const std::string& where,
                  quillbeckButtonDescription& button) {
    if (!value.isDictionary()) return fail(where, "expected an object");
    if (!readString(value, "title", where, button.title, true)) return false;
    if (!readString(value, "action", where, button.action, true)) return false;
    const base::Value* frame = value.find("frame");
    if (!frame) return fail(where, "\"frame\" is missing");
    std::vector<double> f;
    if (!readNumbers(*frame, 4, -10000, 10000, where + " frame", f)) return false;
    if (f[2] < 0 || f[3] < 0) return fail(where + " frame", "width and height cannot be negative");
    button.frame = platform::Rect(f[0], f[1], f[2], f[3]);
    std::string image;
    if (!readString(value, "image", where, image, false)) return false;
    if (!image.empty()) {
      button.imagePath = image.front() == '/' ? image : folder_ + "/" + image;
      if (!isFile(button.imagePath)) return fail(where, "no image file " + button.imagePath);
    }
    if (const base::Value* mask = value.find("autoresizing")) {
      return readAutoresizing(*mask, where, button.autoresizingMask);
    }
    return true;
  }

 private:
  std::string folder_;
  std::string problem_;
};

}  // namespace

namespace {
base::Error refuse(quillbeckInterfaceFile::ErrorCode code, std::string description) {
  return base::Error::withDescription(std::string(quillbeckInterfaceFile::kErrorDomain), code,
                                      std::move(description));
}
}  // namespace

base::Expected<quillbeckInterfaceFile> quillbeckInterfaceFile::load(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return refuse(CannotRead, "cannot read the interface file " + path);
  std::ostringstream text;
  text << file.rdbuf();
  std::string folder = path.find('/') == std::string::npos ? "." : path.substr(0, path.rfind('/'));
  base::Expected<quillbeckInterfaceFile> loaded = parse(text.str(), folder);
  if (!loaded) {
    return refuse(Malformed, "the interface file " + path +
                                 " is malformed: " + loaded.error().localizedDescription());
  }
  return loaded;
}

base::Expected<quillbeckInterfaceFile> quillbeckInterfaceFile::parse(std::string_view text,
                                                                     const std::string& folder) {
  auto refuse = [](std::string why) { return ::refuse(Malformed, std::move(why)); };
  TAD_VeskJSON json;
  base::Error jsonError;
  std::optional<base::Value> root = json.objectWithString(std::string(text), &jsonError);
  if (!root) return refuse("not JSON: " + jsonError.localizedDescription());
  if (!root->isDictionary()) return refuse("the top level must be an object");

  quillbeckInterfaceFile file;
  Reader reader(folder);
  if (const base::Value* background = root->find("background")) {
    std::vector<double> c;
    if (!reader.readNumbers(*background, 4, 0, 1, "background", c)) return refuse(reader.problem());
    file.backgroundColor_ = {c[0], c[1], c[2], c[3]};
  }
  const base::Value* buttons = root->find("buttons");
  if (!buttons || !buttons->isArray()) return refuse("\"buttons\" must be an array");
  for (const base::Value& value : *buttons->asArray()) {
    quillbeckButtonDescription button;
    std::string where = "button " + std::to_string(file.buttons_.size() + 1);
    if (!reader.readButton(value, where, button)) return refuse(reader.problem());
    file.buttons_.push_back(std::move(button));
  }
  return file;
}
