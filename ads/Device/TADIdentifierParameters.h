#pragma once

#include <string_view>

// Keys of the request parameter dictionary that describe the device and the application.
inline constexpr std::string_view kTADParameterIPadCompatibilityMode = "ios_ipadc";
inline constexpr std::string_view kTADParameterITunesMetadata = "ios_metadata";
inline constexpr std::string_view kTADParameterApplicationName = "app_name";
inline constexpr std::string_view kTADParameterJailbroken = "ios_jb";
inline constexpr std::string_view kTADParameterDeviceID = "isu";
inline constexpr std::string_view kTADParameterDeviceModel = "platform";
inline constexpr std::string_view kTADParameterDeviceSubmodel = "submodel";
inline constexpr std::string_view kTADParameterLocale = "hl";
inline constexpr std::string_view kTADParameterAudioOutput = "u_audio";
inline constexpr std::string_view kTADParameterScreenOrientation = "u_so";
inline constexpr std::string_view kTADParameterScreenDensity = "u_sd";
inline constexpr std::string_view kTADParameterScreenWidth = "u_w";
inline constexpr std::string_view kTADParameterScreenHeight = "u_h";
inline constexpr std::string_view kTADParameterCapabilitiesBookstore = "cap_bs";
