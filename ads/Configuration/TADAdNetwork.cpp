#include "ads/Configuration/TADAdNetwork.h"

#include "ads/Configuration/TADConfiguration.h"
#include "base/URL.h"
#include "platform/ui/WebView.h"

namespace {

struct Addresses {
  std::string staticContentOrigin = "http://static." + std::string(kTADAdNetworkDomain);
  std::string adServerOrigin = "http://ads." + std::string(kTADAdNetworkDomain);
  std::string clickTicketDomain{kTADAdNetworkDomain};
};

Addresses& addresses() {
  static Addresses current;
  return current;
}

}  // namespace

const std::string& TADAdNetwork::staticContentOrigin() {
  return addresses().staticContentOrigin;
}

void TADAdNetwork::setStaticContentOrigin(std::string origin) {
  addresses().staticContentOrigin = std::move(origin);
}

const std::string& TADAdNetwork::adServerOrigin() {
  return addresses().adServerOrigin;
}

void TADAdNetwork::setAdServerOrigin(std::string origin) {
  addresses().adServerOrigin = std::move(origin);
  // The page that builds the ad address is the first page at this origin, and it comes soon.
  if (auto url = base::URL::fromString(addresses().adServerOrigin))
    platform::WebView::expectPagesFrom(*url);
}

const std::string& TADAdNetwork::clickTicketDomain() {
  return addresses().clickTicketDomain;
}

void TADAdNetwork::setClickTicketDomain(std::string domain) {
  addresses().clickTicketDomain = std::move(domain);
}

void TADAdNetwork::pointAt(const std::string& origin) {
  setStaticContentOrigin(origin);
  setAdServerOrigin(origin);
  if (auto url = base::URL::fromString(origin)) setClickTicketDomain(url->host());
}

void TADAdNetwork::reset() {
  addresses() = Addresses{};
}
