#pragma once

#include <string_view>

// The request counter among the keys, kTADParameterTotalAdRequests, is kept by the statistics and
// named with their keys.
#include "ads/Statistics/TADStatisticsParameters.h"

// Keys of the request parameter dictionary that the request itself contributes.
inline constexpr std::string_view kTADParameterSDKVersion = "js";
inline constexpr std::string_view kTADParameterNetworkType = "net";
inline constexpr std::string_view kTADParameterTesting = "testing";
inline constexpr std::string_view kTADParameterTestMode = "adtest";
inline constexpr std::string_view kTADParameterExtraParams = "extras";
inline constexpr std::string_view kTADParameterGender = "cust_gender";
inline constexpr std::string_view kTADParameterBirthday = "cust_age";
inline constexpr std::string_view kTADParameterKeywords = "kw";
inline constexpr std::string_view kTADParameterLocation = "uule";

// The privacy signals (TADPrivacySignals), each present only when the program set it: whether a
// consent regime covers the user ("1" or "0"), the encoded consent, the encoded US privacy
// choices, and whether the ads are to be treated as directed at children ("1" or "0").
inline constexpr std::string_view kTADParameterConsentRegime = "cns_reg";
inline constexpr std::string_view kTADParameterConsentString = "cns";
inline constexpr std::string_view kTADParameterUSPrivacy = "usp";
inline constexpr std::string_view kTADParameterChildDirected = "cdt";
