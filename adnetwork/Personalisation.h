#pragma once

#include <map>
#include <optional>
#include <string>

namespace adnetwork {

// How the network honours the privacy signals that the library gives the page script, which
// passes them on in the ad page's query: "cns_reg" (a consent regime covers the user, "1" or "0"),
// "cns" (the user's consent), "usp" (US privacy choices, logged and otherwise unread) and "cdt"
// (ads treated as directed at children, "1" or "0").
//
// A real network decodes the consent text its consent framework defines; this one reads it as the
// purposes the user agreed to, separated by commas, and personalises ads only with the purpose
// "ads" among them.
//
// Why an ad page for query must not be personalised: "child-directed", "no-consent" (the regime
// applies and there is no consent text) or "consent-refused" (the text leaves out "ads"); nothing
// when it may be.
std::optional<std::string> whyNotPersonalised(const std::map<std::string, std::string>& query);

}  // namespace adnetwork
