#include "ads/Device/TADIdentifierUtilities.h"

#include <openssl/evp.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "ads/Device/TADIdentifierParameters.h"
#include "ads/Formats/TADNumberUtilities.h"
#include "ads/Formats/TADPropertyListReader.h"
#include "base/ASCII.h"
#include "base/URL.h"
#include "platform/Application.h"
#include "platform/Device.h"
#include "platform/media/AudioSession.h"
#include "platform/storage/Bundle.h"
#include "platform/storage/SearchPaths.h"
#include "platform/storage/UserDefaults.h"
#include "platform/ui/Screen.h"

namespace {

constexpr std::string_view kBookstoreURL = "itms-books://";
constexpr std::string_view kReaderURL = "kindle://home";
constexpr size_t kParameterCapacity = 15;

std::string upperHex(const unsigned char* bytes, unsigned int length) {
  std::string text;
  text.reserve(length * 2);
  char pair[3];
  for (unsigned int i = 0; i < length; ++i) {
    std::snprintf(pair, sizeof pair, "%02X", bytes[i]);
    text += pair;
  }
  return text;
}

std::optional<std::string> md5Hex(std::string_view bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr) != 1) {
    return std::nullopt;
  }
  return upperHex(digest, length);
}

int32_t routeCode(const std::string& name) {
  if (name.empty()) return 3;
  if (name == "Headphone" || name == "Headset") return 2;
  if (name == "Speaker") return 1;
  return 5;
}

std::string metadataPathBeside(const std::string& documents) {
  std::filesystem::path path(documents);
  return (path / ".." / "iTunesMetadata.plist").lexically_normal().string();
}

}  // namespace

TADIdentifierUtilities& TADIdentifierUtilities::sharedInstance() {
  static TADIdentifierUtilities instance;
  return instance;
}

TADIdentifierUtilities::TADIdentifierUtilities() {
  auto idiom = platform::Device::current().userInterfaceIdiom();
  isPhoneIdiom_ = !idiom || *idiom == platform::UserInterfaceIdiom::Phone;
  isJailbroken_ = isJailbrokenDevice();
}

void TADIdentifierUtilities::resetForTesting() {
  *this = TADIdentifierUtilities();
}

bool TADIdentifierUtilities::isJailbrokenDevice() {
  return geteuid() == 0;
}

base::Dictionary TADIdentifierUtilities::parameters() {
  base::Dictionary parameters;
  parameters.reserve(kParameterCapacity);
  std::string model = deviceModel();
  if (model == "iPad" && isPhoneIdiom()) {
    parameters.set(std::string(kTADParameterIPadCompatibilityMode), "1");
  }
  parameters.set(std::string(kTADParameterITunesMetadata), iTunesMetadata());
  addApplicationName(parameters);
  std::string audio = std::to_string(audioRoute());
  const char* orientation = isOrientationLandscape() ? "l" : "p";
  if (isJailbroken()) parameters.set(std::string(kTADParameterJailbroken), "1");
  if (auto identifier = deviceIdentifier()) {
    parameters.set(std::string(kTADParameterDeviceID), *identifier);
  }
  if (!model.empty()) parameters.set(std::string(kTADParameterDeviceModel), model);
  if (auto submodel = deviceSubmodel()) {
    parameters.set(std::string(kTADParameterDeviceSubmodel), *submodel);
  }
  if (auto language = locale()) parameters.set(std::string(kTADParameterLocale), *language);
  parameters.set(std::string(kTADParameterAudioOutput), audio);
  parameters.set(std::string(kTADParameterScreenOrientation), orientation);
  addScreenFacts(parameters);
  addCapabilities(parameters);
  return parameters;
}

void TADIdentifierUtilities::addApplicationName(base::Dictionary& parameters) const {
  const platform::Bundle& bundle = platform::Bundle::main();
  std::string name;
  if (const auto& version = bundle.bundleVersion()) name = *version + ".";
  name += "iphone." + bundle.bundleIdentifier();
  parameters.set(std::string(kTADParameterApplicationName), std::move(name));
}

void TADIdentifierUtilities::addScreenFacts(base::Dictionary& parameters) const {
  parameters.set(std::string(kTADParameterScreenDensity),
                 TADNumberUtilities::stringWithFloat(screenDensity()));
  ScreenSize size = screenSize();
  parameters.set(std::string(kTADParameterScreenWidth),
                 TADNumberUtilities::stringWithFloat(size.width));
  parameters.set(std::string(kTADParameterScreenHeight),
                 TADNumberUtilities::stringWithFloat(size.height));
}

void TADIdentifierUtilities::addCapabilities(base::Dictionary& parameters) const {
  base::Dictionary canOpen = canOpenURLs({std::string(kBookstoreURL), std::string(kReaderURL)});
  auto opens = [&](std::string_view url) {
    const base::Value* answer = canOpen.find(url);
    return answer && answer->toBool();
  };
  int capabilities = 0;
  if (opens(kBookstoreURL)) capabilities += 1;
  if (opens(kReaderURL)) capabilities += 2;
  if (capabilities != 0) {
    parameters.set(std::string(kTADParameterCapabilitiesBookstore), capabilities);
  }
}

const base::Dictionary& TADIdentifierUtilities::iTunesMetadata() {
  if (!iTunesMetadata_) {
    auto documents = platform::documentsDirectory();
    iTunesMetadata_ = documents && !documents->empty()
                          ? readITunesMetadataFileAt(metadataPathBeside(*documents))
                          : base::Dictionary();
  }
  return *iTunesMetadata_;
}

base::Dictionary TADIdentifierUtilities::readITunesMetadataFileAt(const std::string& path) {
  auto value = TADPropertyListReader::valueWithContentsOfFile(path);
  if (!value || !value->isDictionary()) return {};
  return std::move(*value->asDictionary());
}

std::optional<std::string> TADIdentifierUtilities::deviceIdentifier() {
  if (!deviceIdentifier_) {
    // A device without an identifier would otherwise send the digest of nothing, which every
    // such device shares.
    std::string unique = platform::Device::current().uniqueIdentifier();
    if (!unique.empty()) deviceIdentifier_ = md5Hex(unique);
  }
  return deviceIdentifier_;
}

std::string TADIdentifierUtilities::deviceModel() const {
  return platform::Device::current().model();
}

std::optional<std::string> TADIdentifierUtilities::deviceSubmodel() {
  if (!deviceSubmodel_) deviceSubmodel_ = platform::Device::current().machineName();
  return deviceSubmodel_;
}

std::optional<std::string> TADIdentifierUtilities::locale() {
  if (locale_) return locale_;
  const base::Value* languages = platform::UserDefaults::standard().objectForKey("AppleLanguages");
  const base::Array* list = languages ? languages->asArray() : nullptr;
  if (!list || list->empty()) return std::nullopt;
  std::optional<std::string_view> first = list->front().asString();
  if (!first) return std::nullopt;
  locale_ = base::lowercased(*first);
  return locale_;
}

int32_t TADIdentifierUtilities::audioRoute() const {
  platform::AudioSession* session = platform::AudioSession::shared();
  if (!session) return 1;
  int32_t status = session->initialize();
  if (status != 0 && status != platform::AudioSession::kAlreadyInitialized) return 1;
  std::optional<std::string> name;
  // Any failed query counts, whatever its sign: a failed query's name is not to be trusted.
  if (session->currentRoute(name) != 0 || !name) return 1;
  return routeCode(*name);
}

bool TADIdentifierUtilities::isOrientationLandscape() const {
  return platform::isLandscape(platform::Application::shared().statusBarOrientation());
}

float TADIdentifierUtilities::screenDensity() const {
  const platform::Screen& screen = platform::Screen::main();
  return screen.canReportScale() ? static_cast<float>(screen.scale()) : 1.0f;
}

TADIdentifierUtilities::ScreenSize TADIdentifierUtilities::screenSize() const {
  platform::Rect frame = platform::Screen::main().applicationFrame();
  const platform::Application& application = platform::Application::shared();
  double height = frame.height();
  if (!application.isStatusBarHidden()) height += application.statusBarFrame().height();
  return {static_cast<float>(frame.width()), static_cast<float>(height)};
}

base::Dictionary TADIdentifierUtilities::canOpenURLs(const std::vector<std::string>& urls) const {
  base::Dictionary answers;
  for (const std::string& text : urls) {
    auto url = base::URL::fromString(text);
    answers.set(text, url && platform::Application::shared().canOpenURL(*url));
  }
  return answers;
}

std::string TADIdentifierUtilities::osVersion() const {
  return platform::Device::current().systemVersion();
}

namespace {

// The leading decimal integer of piece, as a C library integer reading gives it.
int32_t leadingInteger(std::string_view piece) {
  std::string text(piece);
  return static_cast<int32_t>(std::strtol(text.c_str(), nullptr, 10));
}

}  // namespace

void TADIdentifierUtilities::getOSMajor(int32_t* major, int32_t* minor, int32_t* bugFix) const {
  std::string version = osVersion();
  int32_t numbers[3] = {0, 0, 0};
  size_t start = 0;
  for (int32_t& number : numbers) {
    size_t dot = version.find('.', start);
    size_t length = dot == std::string::npos ? std::string::npos : dot - start;
    number = leadingInteger(std::string_view(version).substr(start, length));
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  if (major) *major = numbers[0];
  if (minor) *minor = numbers[1];
  if (bugFix) *bugFix = numbers[2];
}

bool TADIdentifierUtilities::isOSAtLeastMajor(int32_t major, int32_t minor, int32_t bug) const {
  int32_t have[3];
  getOSMajor(&have[0], &have[1], &have[2]);
  if (have[0] != major) return have[0] > major;
  if (have[1] != minor) return have[1] > minor;
  return have[2] >= bug;
}
