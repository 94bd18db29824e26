#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// The ad network's domain by default. Click-tracking addresses on hosts under the click-ticket
// domain carry the click ticket in their path.
inline constexpr std::string_view kTADAdNetworkDomain = "talvik.test";

// The well-known public web host whose reachability tells the network type.
inline constexpr std::string_view kTADReachabilityProbeHost = "www.example.com";

// The AES-128 key under which precise locations travel. The ad server decrypts "uule" with the
// same key.
inline constexpr std::array<uint8_t, 16> kTADLocationKey = {
    0x5a, 0x1c, 0x93, 0x7e, 0x20, 0xd4, 0x6b, 0xf1, 0x08, 0xa7, 0x3e, 0xc2, 0x55, 0x9d, 0x14, 0x6f};
