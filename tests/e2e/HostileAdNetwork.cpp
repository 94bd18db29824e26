#include "tests/e2e/HostileAdNetwork.h"

#include <utility>

namespace hostile {

HostileAdNetwork::HostileAdNetwork() {
  route(std::string(kScriptPath),
        Response::ok(answeringScript(), {{"Content-Type", "application/javascript"}}));
  serveAd("<p>an ad</p>");
}

void HostileAdNetwork::scriptRunsFirst(const std::string& first) {
  route(std::string(kScriptPath),
        Response::ok(answeringScript(first), {{"Content-Type", "application/javascript"}}));
}

bool HostileAdNetwork::wasAskedFor(std::string_view path) const {
  for (const auto& request : server_.requests())
    if (request.path() == path) return true;
  return false;
}

std::string HostileAdNetwork::answeringScript(const std::string& first) {
  return "function AVMO_buildAdURL(params) {\n" + first +
         "\n"
         "  var ad = location.protocol + '//' + location.host + '" +
         std::string(kAdPath) +
         "?n=' + Date.now();\n"
         "  location.href = 'gmsg://x/loadAdURL?type=sentrel&url=' + encodeURIComponent(ad);\n"
         "}\n";
}

size_t HostileAdNetwork::requestsFor(std::string_view path) const {
  size_t count = 0;
  for (const auto& request : server_.requests())
    count += request.path() == path;
  return count;
}

void HostileAdNetwork::serveAd(std::string html, Fields headers) {
  headers.emplace_back("Content-Type", "text/html");
  route(std::string(kAdPath), Response::ok(std::move(html), std::move(headers)));
}

}  // namespace hostile
