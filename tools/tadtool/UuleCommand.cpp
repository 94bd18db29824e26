#include "tools/tadtool/UuleCommand.h"

#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ads/Device/TADLocation.h"
#include "base/NumberText.h"
#include "platform/Platform.h"
#include "platform/glib/GlibClock.h"
#include "platform/glib/StderrConsole.h"

namespace {

constexpr int kDone = 0;
constexpr int kRefused = 1;
constexpr int kUsage = 2;

constexpr const char* kHelp =
    "usage: tadtool uule encode --lat LATITUDE --lon LONGITUDE --accuracy METRES\n"
    "                           [--timestamp SECONDS]\n"
    "       tadtool uule encode --description TEXT [--timestamp SECONDS]\n"
    "       tadtool uule decode TEXT\n"
    "\n"
    "encode writes the location value a request carries: coordinates are encrypted with the\n"
    "library's key (\"e1+...\"), a described place is only encoded (\"a+...\"). The value holds\n"
    "the time it was made: now, or SECONDS since 1970-01-01 UTC to make it again exactly.\n"
    "Coordinates must lie within range and neither may be zero, or there is no location.\n"
    "\n"
    "decode writes the record inside such a value, decrypted and without its padding.\n"
    "\n"
    "Exit status: 0 done, 1 no location or TEXT is not such a value, 2 usage (a number that\n"
    "does not read as one among them).\n";

struct EncodeOptions {
  std::optional<float> latitude;
  std::optional<float> longitude;
  std::optional<float> accuracy;
  std::optional<std::string> description;
  std::optional<double> timestamp;
};

int usageError(std::string_view problem) {
  std::cerr << "tadtool: uule: " << problem << "\n\n" << kHelp;
  return kUsage;
}

bool isHelp(std::string_view argument) {
  return argument == "--help" || argument == "-h";
}

// Reads the encode arguments; on a usage error, says so and answers the exit status instead.
std::optional<EncodeOptions> parseEncodeOptions(int argc, char** argv, int* status) {
  EncodeOptions options;
  for (int i = 2; i < argc; ++i) {
    const std::string_view name = argv[i];
    if (i + 1 >= argc) {
      *status = usageError("unexpected argument '" + std::string(name) + "'");
      return std::nullopt;
    }
    const std::string_view value = argv[++i];
    if (name == "--description") {
      options.description = std::string(value);
      continue;
    }
    if (name != "--lat" && name != "--lon" && name != "--accuracy" && name != "--timestamp") {
      *status = usageError("unexpected argument '" + std::string(name) + "'");
      return std::nullopt;
    }
    std::optional<double> number = base::decimalFromText(value);
    if (!number) {
      *status = usageError(std::string(name) + " '" + std::string(value) + "' is not a number");
      return std::nullopt;
    }
    if (name == "--lat") {
      options.latitude = static_cast<float>(*number);
    } else if (name == "--lon") {
      options.longitude = static_cast<float>(*number);
    } else if (name == "--accuracy") {
      options.accuracy = static_cast<float>(*number);
    } else {
      options.timestamp = *number;
    }
  }
  bool anyCoordinate = options.latitude || options.longitude || options.accuracy;
  bool allCoordinates = options.latitude && options.longitude && options.accuracy;
  if (options.description ? anyCoordinate : !allCoordinates) {
    *status = usageError("give either --lat, --lon and --accuracy, or --description");
    return std::nullopt;
  }
  return options;
}

// A location stamps itself with the platform's clock, so the tool installs a platform of its
// own: the machine's real clock, and stderr for console lines. Nothing else is reached.
void installClockPlatform() {
  auto platform = std::make_shared<platform::Platform>();
  platform->clock = std::make_shared<platform::glib::GlibClock>();
  platform->console = std::make_shared<platform::glib::StderrConsole>();
  platform::Platform::install(std::move(platform));
}

int encode(int argc, char** argv) {
  int status = kUsage;
  std::optional<EncodeOptions> options = parseEncodeOptions(argc, argv, &status);
  if (!options) return status;
  installClockPlatform();
  std::shared_ptr<TADLocation> location =
      options->description ? TADLocation::initWithDescription(*options->description)
                           : TADLocation::initWithLatitude(*options->latitude, *options->longitude,
                                                           *options->accuracy);
  if (!location) {
    std::cerr << "tadtool: uule: no location: "
              << (options->description ? "the description is empty"
                                       : "latitude must lie within ±90 and longitude within "
                                         "±180, neither zero")
              << "\n";
    return kRefused;
  }
  if (options->timestamp) location->setTimestamp(*options->timestamp);
  std::optional<std::string> wireForm = location->oolongRepresentation();
  if (!wireForm) {
    std::cerr << "tadtool: uule: the location cannot be encrypted\n";
    return kRefused;
  }
  std::cout << *wireForm << '\n';
  return kDone;
}

int decode(int argc, char** argv) {
  if (argc != 3) return usageError("decode takes one TEXT");
  std::optional<std::string> record = TADLocation::recordFromOolongRepresentation(argv[2]);
  if (!record) {
    std::cerr << "tadtool: uule: '" << argv[2] << "' is not a location value made with this "
              << "library's key\n";
    return kRefused;
  }
  std::cout << *record << '\n';
  return kDone;
}

}  // namespace

int runUuleCommand(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (isHelp(argv[i])) {
      std::cout << kHelp;
      return kDone;
    }
  }
  if (argc < 2) return usageError("missing 'encode' or 'decode'");
  const std::string_view action = argv[1];
  if (action == "encode") return encode(argc, argv);
  if (action == "decode") return decode(argc, argv);
  return usageError("unknown action '" + std::string(action) + "'");
}
