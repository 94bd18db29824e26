#pragma once

#include <string_view>

// The library's error domain: every error the library makes, at any layer, carries it.
inline constexpr std::string_view kTADErrorDomain = "com.talvik.ads.RequestError";
