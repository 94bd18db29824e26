#pragma once

#include <string_view>

// The ad network this library talks to. Click-tracking addresses on hosts under this domain carry
// the click ticket in their path.
inline constexpr std::string_view kTADAdNetworkDomain = "talvik.test";
