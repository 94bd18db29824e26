#pragma once

#include <string>

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
