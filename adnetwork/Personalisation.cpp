#include "adnetwork/Personalisation.h"

#include <sstream>

namespace adnetwork {

namespace {

bool isOn(const std::map<std::string, std::string>& query, const std::string& key) {
  auto found = query.find(key);
  return found != query.end() && found->second == "1";
}

bool grantsAds(const std::string& consent) {
  std::stringstream purposes(consent);
  for (std::string purpose; std::getline(purposes, purpose, ',');) {
    if (purpose == "ads") return true;
  }
  return false;
}

}  // namespace

std::optional<std::string> whyNotPersonalised(const std::map<std::string, std::string>& query) {
  if (isOn(query, "cdt")) return "child-directed";
  if (!isOn(query, "cns_reg")) return std::nullopt;
  auto consent = query.find("cns");
  if (consent == query.end() || consent->second.empty()) return "no-consent";
  if (!grantsAds(consent->second)) return "consent-refused";
  return std::nullopt;
}

}  // namespace adnetwork
