#pragma once

#include <array>
#include <cstdint>
#include <string>
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

// Where the ad network lives: the one place that names its addresses. The defaults are the
// network's own; a program or a test points the library at another server (a test network, a
// loopback server) by setting them before the first load. Main thread only.
class TADAdNetwork {
 public:
  // The origin ("http://host[:port]") that serves the page script; its path is fixed.
  static const std::string& staticContentOrigin();
  static void setStaticContentOrigin(std::string origin);
  // The ad server's origin: the base address of the page that builds the ad address.
  static const std::string& adServerOrigin();
  static void setAdServerOrigin(std::string origin);
  // Hosts equal to this domain or under it carry click tickets.
  static const std::string& clickTicketDomain();
  static void setClickTicketDomain(std::string domain);
  // All three at once, at one server origin whose host is also the click-ticket domain.
  static void pointAt(const std::string& origin);
  // Back to the defaults.
  static void reset();
};
