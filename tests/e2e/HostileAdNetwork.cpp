#include "tests/e2e/HostileAdNetwork.h"

#include <algorithm>
#include <utility>

namespace hostile {

HostileAdNetwork::HostileAdNetwork() {
  serveScriptBeginningWith("");
  serveAd("<p>an ad</p>");
}

void HostileAdNetwork::serveScriptBeginningWith(const std::string& topLevel) {
  serveScript(topLevel, "");
}

void HostileAdNetwork::scriptRunsFirst(const std::string& first) {
  serveScript("", first);
}

void HostileAdNetwork::serveScript(const std::string& topLevel, const std::string& first) {
  std::string script =
      topLevel + "function AVMO_buildAdURL(params) {\n" + first +
      "\n"
      "  var ad = location.protocol + '//' + location.host + '" +
      std::string(kAdPath) +
      "?n=' + Date.now();\n"
      "  location.href = 'gmsg://x/loadAdURL?type=sentrel&url=' + encodeURIComponent(ad);\n"
      "}\n";
  route(std::string(kScriptPath),
        Response::ok(script, {{"Content-Type", "application/javascript"}}));
}

size_t HostileAdNetwork::requestsFor(std::string_view path) const {
  return std::ranges::count_if(server_.requests(), [&](const auto& r) { return r.path() == path; });
}

void HostileAdNetwork::serveAd(std::string html, Fields headers) {
  headers.emplace_back("Content-Type", "text/html");
  route(std::string(kAdPath), Response::ok(std::move(html), std::move(headers)));
}

}  // namespace hostile
