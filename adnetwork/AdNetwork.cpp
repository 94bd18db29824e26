#include "adnetwork/AdNetwork.h"

#include "adnetwork/AdNetworkServer.h"

namespace adnetwork {

base::Expected<std::unique_ptr<AdNetwork>> AdNetwork::start(const Options& options) {
  base::Expected<std::unique_ptr<Server>> server = Server::start(options);
  if (!server) return server.error();
  return std::unique_ptr<AdNetwork>(new AdNetwork(std::move(*server)));
}

AdNetwork::AdNetwork(std::unique_ptr<Server> server) : server_(std::move(server)) {}

AdNetwork::~AdNetwork() = default;

uint16_t AdNetwork::port() const {
  return server_->port();
}

std::string AdNetwork::origin() const {
  return server_->routes().origin();
}

std::vector<std::string> AdNetwork::creatives() const {
  std::vector<std::string> names;
  for (const auto& creative : server_->routes().catalogue().creatives()) {
    if (creative.personalised) names.push_back(creative.name);
  }
  return names;
}

bool AdNetwork::pinCreative(const std::string& name) {
  return server_->routes().catalogue().pin(name);
}

void AdNetwork::refuseSlot(const std::string& slotname) {
  server_->routes().refuseSlot(slotname);
}

void AdNetwork::setRefreshSeconds(double seconds) {
  server_->routes().setRefreshSeconds(seconds);
}

void AdNetwork::injectFault(Route route, FaultPlan plan, int times) {
  server_->faults().add(route, plan, times);
}

void AdNetwork::clearFaults() {
  server_->faults().clear();
}

base::Expected<std::pair<AdNetwork::Route, AdNetwork::FaultPlan>> AdNetwork::parseFault(
    const std::string& text) {
  return FaultTable::parse(text);
}

std::vector<AdNetwork::LoggedRequest> AdNetwork::requests() const {
  const auto& entries = server_->log().entries();
  return {entries.begin(), entries.end()};
}

size_t AdNetwork::count(const std::string& path) const {
  return server_->log().count(path);
}

}  // namespace adnetwork
