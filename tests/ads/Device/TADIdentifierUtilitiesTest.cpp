#include "ads/Device/TADIdentifierUtilities.h"

#include <gtest/gtest.h>
#include <plist/plist.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <tuple>

#include "ads/Device/TADIdentifierParameters.h"
#include "platform/plist/PlistReading.h"
#include "platform/sim/SimPlatform.h"
#include "tests/support/TemporaryFolder.h"

namespace {

using platform::InterfaceOrientation;
using platform::UserInterfaceIdiom;

class TADIdentifierUtilitiesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    utilities.resetForTesting();
    platform::Platform::current().propertyLists = std::make_shared<platform::plist::PlistReading>();
  }

  // The text under key in a fresh parameter dictionary; "(absent)" when it is left out.
  std::string parameter(std::string_view key) {
    base::Dictionary parameters = utilities.parameters();
    const base::Value* value = parameters.find(key);
    if (!value) return "(absent)";
    return value->isString() ? std::string(*value->asString()) : "#" + value->numberString();
  }

  std::string write(const std::string& name, std::string_view bytes) {
    std::string path = folder / name;
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    return path;
  }

  platform::sim::SimPlatform platform;
  TADIdentifierUtilities& utilities = TADIdentifierUtilities::sharedInstance();
  test_support::TemporaryFolder folder;
};

TEST_F(TADIdentifierUtilitiesTest, ReadsTheSystemVersionPieceByPiece) {
  auto version = [&](const char* text) {
    platform.device().setSystemVersion(text);
    int32_t major = -1, minor = -1, bugFix = -1;
    utilities.getOSMajor(&major, &minor, &bugFix);
    return std::to_string(major) + "/" + std::to_string(minor) + "/" + std::to_string(bugFix);
  };
  EXPECT_EQ(version("4.3"), "4/3/0");
  EXPECT_EQ(version("5"), "5/0/0");
  EXPECT_EQ(version("4.2.1b"), "4/2/1");
  EXPECT_EQ(version(""), "0/0/0");
  EXPECT_EQ(version("x.7"), "0/7/0");
  // Major, then minor, then bug fix.
  for (auto [have, major, minor, bugFix, atLeast] : {std::tuple{"3.2.1", 4, 0, 0, false},
                                                     {"3.2.1", 3, 2, 1, true},
                                                     {"3.2.1", 3, 2, 2, false},
                                                     {"3.2.1", 3, 3, 0, false},
                                                     {"3.2.1", 3, 1, 9, true},
                                                     {"4.0", 3, 9, 9, true}}) {
    platform.device().setSystemVersion(have);
    EXPECT_EQ(utilities.isOSAtLeastMajor(major, minor, bugFix), atLeast)
        << have << " " << major << "." << minor << "." << bugFix;
  }
}

TEST_F(TADIdentifierUtilitiesTest, APhoneSendsItsKeysInTheirFixedOrder) {
  std::vector<std::string> expected{"ios_metadata", "app_name"};
  if (geteuid() == 0) expected.push_back("ios_jb");
  for (const char* key : {"isu", "platform", "submodel", "u_audio", "u_so", "u_sd", "u_w", "u_h"})
    expected.push_back(key);
  base::Dictionary parameters = utilities.parameters();
  std::vector<std::string> keys;
  for (const auto& [key, value] : parameters)
    keys.emplace_back(key);
  EXPECT_EQ(keys, expected);
  EXPECT_EQ(*parameters.find(kTADParameterITunesMetadata), base::Value(base::Dictionary()));
  EXPECT_EQ(parameter(kTADParameterDeviceModel), "iPhone");
  EXPECT_EQ(parameter(kTADParameterDeviceSubmodel), "iPhone3,1");
  EXPECT_EQ(parameter(kTADParameterJailbroken), geteuid() == 0 ? "1" : "(absent)");
}

TEST_F(TADIdentifierUtilitiesTest, OnlyAPhoneApplicationOnATabletIsInCompatibilityMode) {
  EXPECT_EQ(parameter(kTADParameterIPadCompatibilityMode), "(absent)");  // phone on phone
  platform.becomeTablet();
  utilities.resetForTesting();
  EXPECT_EQ(parameter(kTADParameterIPadCompatibilityMode), "(absent)");  // tablet app on tablet
  platform.device().setUserInterfaceIdiom(UserInterfaceIdiom::Phone);
  utilities.resetForTesting();
  EXPECT_EQ(parameter(kTADParameterIPadCompatibilityMode), "1");
  // A system without idioms counts as the phone idiom.
  platform.device().setUserInterfaceIdiom(std::nullopt);
  utilities.resetForTesting();
  EXPECT_TRUE(utilities.isPhoneIdiom());
  EXPECT_EQ(parameter(kTADParameterIPadCompatibilityMode), "1");
  // The idiom is taken once, when the instance is made.
  platform.device().setUserInterfaceIdiom(UserInterfaceIdiom::Pad);
  EXPECT_TRUE(utilities.isPhoneIdiom());
}

TEST_F(TADIdentifierUtilitiesTest, TheApplicationNameCarriesTheVersionOnlyWhenThereIsOne) {
  platform.mainBundle().setBundleIdentifier("com.example.app");
  platform.mainBundle().setBundleVersion("1.2");
  EXPECT_EQ(parameter(kTADParameterApplicationName), "1.2.iphone.com.example.app");
  platform.mainBundle().setBundleVersion(std::nullopt);
  EXPECT_EQ(parameter(kTADParameterApplicationName), "iphone.com.example.app");
}

TEST_F(TADIdentifierUtilitiesTest, TheDeviceIdentifierIsTheUpperCaseMD5OfTheUniqueIdentifierOnce) {
  // printf %s 0123456789abcdef0123456789abcdef01234567 | md5sum
  EXPECT_EQ(parameter(kTADParameterDeviceID), "7A3B1EFA99183D93E609F37947304DB9");
  platform.device().setUniqueIdentifier("another-device");
  EXPECT_EQ(utilities.deviceIdentifier(), "7A3B1EFA99183D93E609F37947304DB9");

  // printf 'caf\xc3\xa9-device' | md5sum: the UTF-8 bytes are hashed.
  platform.device().setUniqueIdentifier("caf\xc3\xa9-device");
  utilities.resetForTesting();
  EXPECT_EQ(utilities.deviceIdentifier(), "B3BD2E5CE529C30CA5F31214F31C1888");

  platform.device().setUniqueIdentifier("");
  utilities.resetForTesting();
  EXPECT_EQ(parameter(kTADParameterDeviceID), "(absent)");
}

TEST_F(TADIdentifierUtilitiesTest, ModelAndSubmodelAreLeftOutWhenTheDeviceCannotNameThem) {
  // The machine name defaults to the kernel's own.
  EXPECT_FALSE(platform.device().platform::Device::machineName().value_or("").empty());
  platform.device().setMachineName("iPad2,1");
  EXPECT_EQ(parameter(kTADParameterDeviceSubmodel), "iPad2,1");
  platform.device().setMachineName("changed");
  EXPECT_EQ(utilities.deviceSubmodel(), "iPad2,1");  // read once

  platform.device().setMachineName(std::nullopt);
  platform.device().setModel("");
  utilities.resetForTesting();
  EXPECT_EQ(parameter(kTADParameterDeviceSubmodel), "(absent)");
  EXPECT_EQ(parameter(kTADParameterDeviceModel), "(absent)");
}

TEST_F(TADIdentifierUtilitiesTest, TheLanguageIsTheFirstPreferredOneAndIsAskedForUntilKnown) {
  EXPECT_EQ(parameter(kTADParameterLocale), "(absent)");  // no list
  platform.userDefaults().setObject("AppleLanguages", base::Array{});
  EXPECT_EQ(parameter(kTADParameterLocale), "(absent)");  // empty list
  platform.userDefaults().setObject("AppleLanguages", base::Array{base::Value(3)});
  EXPECT_EQ(parameter(kTADParameterLocale), "(absent)");  // not a text
  platform.userDefaults().setObject("AppleLanguages", base::Array{"zh-Hans", "en"});
  EXPECT_EQ(parameter(kTADParameterLocale), "zh-hans");
  platform.userDefaults().setObject("AppleLanguages", base::Array{"fr"});
  EXPECT_EQ(parameter(kTADParameterLocale), "zh-hans");  // kept once known
}

TEST_F(TADIdentifierUtilitiesTest, TheAudioRouteIsCodedByItsExactName) {
  auto& session = platform.audioSession();
  const std::pair<std::optional<std::string>, int> cases[] = {
      {"", 3},        {"Headset", 2},   {"Headphone", 2}, {"Speaker", 1}, {"HeadsetInOut", 5},
      {"speaker", 5}, {std::nullopt, 1}};
  for (const auto& [name, code] : cases) {
    session.setRouteName(name);
    EXPECT_EQ(utilities.audioRoute(), code) << name.value_or("(none)");
  }
  session.setRouteName("");
  EXPECT_EQ(parameter(kTADParameterAudioOutput), "3");
}

TEST_F(TADIdentifierUtilitiesTest, AnAudioSessionThatFailsOrIsMissingGivesTheSpeakerCode) {
  auto& session = platform.audioSession();
  session.setRouteName("Headset");
  session.setInitializeStatus(platform::AudioSession::kAlreadyInitialized);
  EXPECT_EQ(utilities.audioRoute(), 2);
  session.setInitializeStatus(-50);
  EXPECT_EQ(utilities.audioRoute(), 1);
  session.setInitializeStatus(0);
  session.setRouteStatus(0x77686174);  // a positive four-character code
  EXPECT_EQ(utilities.audioRoute(), 1);
  session.setRouteStatus(-1);
  EXPECT_EQ(utilities.audioRoute(), 1);
  session.setRouteStatus(0);
  platform.setAudioSessionAvailable(false);
  EXPECT_EQ(parameter(kTADParameterAudioOutput), "1");
}

TEST_F(TADIdentifierUtilitiesTest, OnlyTheTwoLandscapeOrientationsSendL) {
  EXPECT_EQ(parameter(kTADParameterScreenOrientation), "p");
  for (auto [orientation, sent] : {std::pair{InterfaceOrientation::LandscapeLeft, "l"},
                                   {InterfaceOrientation::LandscapeRight, "l"},
                                   {InterfaceOrientation::PortraitUpsideDown, "p"},
                                   {InterfaceOrientation::Portrait, "p"}}) {
    platform.application().setStatusBarOrientation(orientation);
    EXPECT_EQ(parameter(kTADParameterScreenOrientation), sent) << static_cast<int>(orientation);
  }
  EXPECT_FALSE(utilities.isOrientationLandscape());
}

// The density is the scale when reported and one otherwise.
TEST_F(TADIdentifierUtilitiesTest, TheScreenHasItsDensityAndItsHeightAddsTheStatusBarWhileItShows) {
  platform.screen().setScale(2);
  EXPECT_EQ(parameter(kTADParameterScreenDensity), "2");
  platform.screen().setScale(1.5);
  EXPECT_EQ(parameter(kTADParameterScreenDensity), "1.5");
  platform.screen().setCanReportScale(false);
  EXPECT_EQ(parameter(kTADParameterScreenDensity), "1");
  EXPECT_EQ(platform.application().statusBarFrame(), platform::Rect(0, 0, 320, 20));
  platform.application().setStatusBarFrame(platform::Rect(0, 0, 320, 40));  // a taller bar
  EXPECT_EQ(parameter(kTADParameterScreenWidth), "320");
  EXPECT_EQ(parameter(kTADParameterScreenHeight), "500");  // 460 + 40
  platform.application().setStatusBarHidden(true, false);
  EXPECT_EQ(parameter(kTADParameterScreenHeight), "480");  // the frame alone
  platform.becomeTablet();
  platform.application().setStatusBarHidden(false, false);
  platform.application().setStatusBarFrame(std::nullopt);
  EXPECT_EQ(parameter(kTADParameterScreenWidth), "768");
  EXPECT_EQ(parameter(kTADParameterScreenHeight), "1024");
}

// Nothing else checks the capability's bits; a wrong one would reach the server unseen.
TEST_F(TADIdentifierUtilitiesTest, BookstoreCapabilityAddsOneForTheStoreAndTwoForTheReader) {
  for (auto [schemes, sent] : {std::pair<std::set<std::string>, const char*>{{"http"}, "(absent)"},
                               {{"itms-books"}, "#1"},
                               {{"kindle"}, "#2"},
                               {{"itms-books", "kindle"}, "#3"}}) {
    platform.application().setHandledSchemes(schemes);
    EXPECT_EQ(parameter(kTADParameterCapabilitiesBookstore), sent) << sent;
  }
}

TEST_F(TADIdentifierUtilitiesTest, CanOpenURLsAnswersPerTextAndFalseForTextsThatAreNoAddress) {
  base::Dictionary answers = utilities.canOpenURLs({"http://a.example/", "gopher://x", "a b://"});
  EXPECT_EQ(answers, (base::Dictionary{
                         {"http://a.example/", true}, {"gopher://x", false}, {"a b://", false}}));
  EXPECT_EQ(platform.application().calls(),
            (std::vector<std::string>{"canOpenURL http://a.example/", "canOpenURL gopher://x"}));
}

constexpr std::string_view kXmlMetadata = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0"><dict>
  <key>itemName</key><string>Quillbeck</string>
  <key>itemId</key><integer>42</integer>
  <key>offset</key><integer>-7</integer>
  <key>price</key><real>0.5</real>
  <key>gift</key><false/>
  <key>purchaseDate</key><date>2001-01-01T00:01:40Z</date>
  <key>blob</key><data>AAEC</data>
  <key>genres</key><array><string>Music</string><dict/></array>
</dict></plist>)";

base::Dictionary expectedMetadata() {
  return {{"itemName", "Quillbeck"},
          {"itemId", 42},
          {"offset", -7},
          {"price", 0.5},
          {"gift", false},
          {"purchaseDate", base::Date(100)},
          {"blob", base::Data{0, 1, 2}},
          {"genres", base::Array{"Music", base::Dictionary()}}};
}

std::string binaryOf(std::string_view xml) {
  plist_t root = nullptr;
  plist_from_xml(xml.data(), uint32_t(xml.size()), &root);
  char* bytes = nullptr;
  uint32_t length = 0;
  plist_to_bin(root, &bytes, &length);
  std::string binary(bytes, length);
  plist_to_bin_free(bytes);
  plist_free(root);
  return binary;
}

std::string nestedXml(size_t depth, std::string_view inside = "") {
  std::string text = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>k</key>";
  for (size_t i = 0; i < depth; ++i)
    text += "<array>";
  text += inside;
  for (size_t i = 0; i < depth; ++i)
    text += "</array>";
  return text + "</dict></plist>";
}

TEST_F(TADIdentifierUtilitiesTest, MetadataReadsXmlBinaryAndJsonPropertyLists) {
  auto read = [](const std::string& path) {
    return TADIdentifierUtilities::readITunesMetadataFileAt(path);
  };
  EXPECT_EQ(read(write("xml.plist", kXmlMetadata)), expectedMetadata());
  std::string binary = binaryOf(kXmlMetadata);
  ASSERT_TRUE(binary.starts_with("bplist00"));
  EXPECT_EQ(read(write("binary.plist", binary)), expectedMetadata());
  EXPECT_EQ(read(write("json.plist", R"( {"itemName": "Quillbeck", "genres": [1, true]})")),
            (base::Dictionary{{"itemName", "Quillbeck"}, {"genres", base::Array{1, true}}}));
  // A platform that reads no property lists (the library's own) still reads JSON.
  platform::Platform::current().propertyLists = nullptr;
  EXPECT_EQ(read(folder / "xml.plist"), base::Dictionary());
  EXPECT_EQ(read(folder / "binary.plist"), base::Dictionary());
  EXPECT_EQ(read(folder / "json.plist").size(), 2u);
}

TEST_F(TADIdentifierUtilitiesTest, MetadataIsEmptyForAnythingButAReadableDictionaryOfSaneSize) {
  auto read = [&](std::string_view bytes) {
    return TADIdentifierUtilities::readITunesMetadataFileAt(write("m.plist", bytes));
  };
  EXPECT_EQ(TADIdentifierUtilities::readITunesMetadataFileAt(folder / "missing"),
            base::Dictionary());
  EXPECT_EQ(TADIdentifierUtilities::readITunesMetadataFileAt(folder.path()), base::Dictionary());
  EXPECT_EQ(read(R"(<plist version="1.0"><array><string>a</string></array></plist>)"),
            base::Dictionary());
  EXPECT_EQ(read("[1, 2]"), base::Dictionary());
  EXPECT_EQ(read(""), base::Dictionary());
  EXPECT_EQ(read("\x01\x02 not a property list"), base::Dictionary());
  EXPECT_EQ(read("bplist00 truncated"), base::Dictionary());
  std::string binary = binaryOf(kXmlMetadata);
  EXPECT_EQ(read(binary.substr(0, binary.size() - 1)), base::Dictionary());

  // Hostile files are refused whole.
  EXPECT_FALSE(read(nestedXml(200)).empty());
  EXPECT_TRUE(read(nestedXml(300)).empty());
  // Far deeper than any parser's stack, yet within the size limit.
  EXPECT_TRUE(read(nestedXml(400000)).empty());
  // Closing tags inside a comment must not hide the depth.
  std::string comment = "<!--" + std::string(100000, '>') + "</array></array></array>-->";
  EXPECT_TRUE(read(nestedXml(300, comment)).empty());
  EXPECT_FALSE(read(binaryOf(nestedXml(200))).empty());
  EXPECT_TRUE(read(binaryOf(nestedXml(300))).empty());
  EXPECT_TRUE(read("{\"k\":" + std::string(300, '[') + std::string(300, ']') + "}").empty());
  std::string huge =
      "<plist><dict><key>k</key><string>" + std::string(5 << 20, 'x') + "</string></dict></plist>";
  EXPECT_TRUE(read(huge).empty());
}

TEST_F(TADIdentifierUtilitiesTest, MetadataComesFromBesideTheDocumentsFolderAndIsReadOnce) {
  EXPECT_TRUE(utilities.iTunesMetadata().empty());  // no documents folder
  std::filesystem::create_directory(folder / "Documents");
  write("iTunesMetadata.plist", kXmlMetadata);
  platform.setDocumentsDirectory(folder / "Documents/");
  EXPECT_TRUE(utilities.iTunesMetadata().empty());  // kept from the first use
  utilities.resetForTesting();
  base::Dictionary parameters = utilities.parameters();
  EXPECT_EQ(*parameters.find(kTADParameterITunesMetadata), base::Value(expectedMetadata()));
  write("iTunesMetadata.plist", "{}");
  EXPECT_EQ(utilities.iTunesMetadata(), expectedMetadata());
}

}  // namespace
