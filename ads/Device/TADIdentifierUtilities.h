#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/Value.h"

// Facts about the device and the application that travel with every ad request, and the
// operating-system version tests that decide which platform facilities the library may use.
//
// One instance lives for the process. Facts that cannot change while it runs (the idiom, the
// device-state test, the hashed identifier, the machine name, the store metadata and, once it
// is known, the language) are read once and kept; the rest is read afresh on every call. A fact
// the platform cannot give is left out of parameters() or takes a fixed fallback: audio route 1,
// screen scale 1, an empty metadata dictionary, version numbers 0.
class TADIdentifierUtilities {
 public:
  struct ScreenSize {
    float width = 0;
    float height = 0;
  };

  static TADIdentifierUtilities& sharedInstance();

  // The device and application keys of the request parameters (TADIdentifierParameters.h), made
  // afresh in their fixed order on every call.
  base::Dictionary parameters();

  bool isPhoneIdiom() const { return isPhoneIdiom_; }
  bool isJailbroken() const { return isJailbroken_; }
  // The application's store metadata: the file "iTunesMetadata.plist" beside the documents
  // folder, read on first use; empty when there is none.
  const base::Dictionary& iTunesMetadata();
  // 32 upper-case hexadecimal digits of the MD5 digest of the device's unique identifier;
  // nothing when the device has none.
  std::optional<std::string> deviceIdentifier();
  std::string deviceModel() const;
  std::optional<std::string> deviceSubmodel();
  // The most preferred language, lower-cased; nothing (and asked again next time) when the
  // preferences name none.
  std::optional<std::string> locale();
  // 1 speaker or unknown, 2 headphones or headset, 3 a route without a name, 5 any other route.
  int32_t audioRoute() const;
  bool isOrientationLandscape() const;
  float screenDensity() const;
  // The application frame's width; its height plus the status bar's while the bar shows.
  ScreenSize screenSize() const;
  // Whether some application can open each text's address; false for a text that is no address.
  base::Dictionary canOpenURLs(const std::vector<std::string>& urls) const;

  // The device's dotted system version text, read each time.
  std::string osVersion() const;
  // Fills each given out-parameter with the major, minor and bug-fix number of osVersion(): the
  // leading integer of each dot-separated piece, 0 for a missing piece or one with no digits.
  void getOSMajor(int32_t* major, int32_t* minor, int32_t* bugFix) const;
  bool isOSAtLeastMajor(int32_t major, int32_t minor, int32_t bug) const;

  // Our device-state test: whether the process runs with root rights.
  static bool isJailbrokenDevice();
  // The dictionary that the property list at path holds; empty when the file is missing,
  // unreadable, hostile or holds anything else.
  static base::Dictionary readITunesMetadataFileAt(const std::string& path);

  // Forgets every kept fact and takes the creation-time ones again from the installed platform,
  // as a fresh process would; tests call it after installing a new platform.
  void resetForTesting();

 private:
  TADIdentifierUtilities();

  void addApplicationName(base::Dictionary& parameters) const;
  void addScreenFacts(base::Dictionary& parameters) const;
  void addCapabilities(base::Dictionary& parameters) const;

  bool isPhoneIdiom_ = true;
  std::optional<base::Dictionary> iTunesMetadata_;
  bool isJailbroken_ = false;
  std::optional<std::string> deviceIdentifier_;
  std::optional<std::string> deviceSubmodel_;
  std::optional<std::string> locale_;
};
