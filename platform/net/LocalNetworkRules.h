#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/URL.h"

namespace platform {

// Which addresses lead into the user's own machine or the network it stands in: loopback
// (127.0.0.0/8, ::1, "localhost" and its subdomains), 0.0.0.0 and the unspecified IPv6 address
// (the machine itself on most systems), the private ranges 10.0.0.0/8, 172.16.0.0/12 and
// 192.168.0.0/16, link-local 169.254.0.0/16 and fe80::/10, unique-local fc00::/7, and IPv6 forms
// of IPv4 addresses. A page from anywhere could otherwise send requests to services that trust
// whatever comes from the machine, and time its requests to tell open ports from closed ones.
//
// Pages reach such addresses only at their own origin: a page that comes from a local address
// itself (the embedded ad network on 127.0.0.1) keeps working, nothing else does.
//
// The rules are regular expressions of the restricted kind that WebKit's content rules take (no
// alternation, no counted repetition), matched without regard to case against a URL as the
// engine writes it: host in lower case, IPv4 in dotted decimal, IPv6 compressed in brackets.
class LocalNetworkRules {
 public:
  // One pattern per kind of local host: a URL whose host is local matches one of them.
  static const std::vector<std::string>& localHostPatterns();
  // Matches every URL at the origin of url: its scheme, host and port (none: the scheme's own).
  static std::string originPattern(const base::URL& url);
  // Whether url (as the engine writes it) leads to a local host.
  static bool isLocal(const base::URL& url);
  // Whether a and b have one origin: scheme, host and port, the scheme's default port implied.
  static bool sameOrigin(const base::URL& a, const base::URL& b);
  // The patterns of localHostPatterns() that url matches.
  static std::vector<std::string> hostPatternsOf(const base::URL& url);
  // WebKit content rules (JSON) that block every load from a local host, except the loads at each
  // of ownOrigins (addresses at them) of a page whose top document is at that same origin.
  static std::string contentRules(const std::vector<base::URL>& ownOrigins);
  // The same for the hosts that hostPatterns (some of localHostPatterns()) match alone.
  static std::string contentRules(const std::vector<std::string>& hostPatterns,
                                  const std::vector<base::URL>& ownOrigins);
};

}  // namespace platform
