#pragma once

#include <string_view>

// Keys of the running statistics in the request parameters; the request counter among them,
// which the request also sets itself.
inline constexpr std::string_view kTADParameterTotalAdRequests = "preqs";
inline constexpr std::string_view kTADParameterPriorClickBreakOut = "pcbo";
inline constexpr std::string_view kTADParameterAppOpenInterstitialTimedOut = "aoi_timedout";
inline constexpr std::string_view kTADParameterAppOpenInterstitialNoFill = "aoi_nofill";
inline constexpr std::string_view kTADParameterPriorClickBackgroundedApp = "pclb";
inline constexpr std::string_view kTADParameterPriorLandingPageNavCount = "plpnc";
inline constexpr std::string_view kTADParameterPriorLandingPageSSLNavCount = "plpsnc";
inline constexpr std::string_view kTADParameterPriorClickCount = "pcc";

// Timing names; each is also the parameter that reports it.
inline constexpr std::string_view kTADParameterPriorRequestLatency = "prl";
inline constexpr std::string_view kTADParameterPriorClickLatency = "pcl";
inline constexpr std::string_view kTADParameterPriorClickString = "pai";
inline constexpr std::string_view kTADParameterPriorPreClickLatency = "ppcl";
inline constexpr std::string_view kTADParameterPriorClickRedirectLatency = "pcrl";
inline constexpr std::string_view kTADParameterPriorLandingPageLoad = "plpl";
inline constexpr std::string_view kTADParameterPriorLandingPageDuration = "plpd";
inline constexpr std::string_view kTADParameterTimeSinceFirstRequest = "ptime";

inline constexpr std::string_view kTADParameterPriorImpressionTicketString = "pit";
inline constexpr std::string_view kTADParameterSessionID = "session_id";
