#pragma once

#include <string_view>

// Keys of the parameters that the ad object adds for its ad slot before the page script builds
// the ad address.
inline constexpr std::string_view kTADParameterAdSlotID = "slotname";
inline constexpr std::string_view kTADParameterAdFormat = "format";
inline constexpr std::string_view kTADParameterAdFrame = "ad_frame";
inline constexpr std::string_view kTADParameterAdBounds = "ad_bounds";

// The key appended to the ad address's query when the script answers the type "dizudi".
inline constexpr std::string_view kTADParameterDIzudiSeqNum = "seq_num";
