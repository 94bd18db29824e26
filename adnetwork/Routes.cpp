#include "adnetwork/Routes.h"

#include <algorithm>
#include <cctype>
#include <locale>
#include <sstream>
#include <vector>

#include "adnetwork/Personalisation.h"

namespace adnetwork {

namespace {

using scriptedhttp::ScriptedReply;

const char kHtml[] = "text/html; charset=utf-8";
const char kText[] = "text/plain; charset=utf-8";

bool startsWith(const std::string& text, std::string_view prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// "/a/b/c" → {"a", "b", "c"}
std::vector<std::string> segments(const std::string& path) {
  std::vector<std::string> pieces;
  std::stringstream stream(path);
  std::string piece;
  while (std::getline(stream, piece, '/')) {
    if (!piece.empty()) pieces.push_back(piece);
  }
  return pieces;
}

std::string numberText(double value) {
  std::ostringstream text;
  text.imbue(std::locale::classic());  // a point, whatever locale the program set
  text << value;
  return text.str();
}

ScriptedReply notFound() {
  return ScriptedReply::withStatus(404, {{"Content-Type", kText}}, "not found\n");
}

bool isSimpleName(const std::string& name) {
  if (name.empty() || name.size() > 40) return false;
  for (char c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-') return false;
  }
  return true;
}

bool isControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7f;
}

// Two pages to a site, each linking to the other, so that back and forward have somewhere to go.
// The title starts below the close button that a web app screen shows over the top-left corner.
std::string landingPage(const std::string& site, int page) {
  const char* colour = page == 1 ? "#1b998b" : "#ff6b35";
  const int other = page == 1 ? 2 : 1;
  std::ostringstream html;
  html << "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
       << "<meta name=\"viewport\" content=\"width=device-width\"><title>" << site << " – page "
       << page << "</title></head>\n<body style=\"margin:0;background:" << colour
       << ";color:#fff;font:bold 20px sans-serif\">\n<h1 style=\"margin:48px 20px 20px\">" << site
       << "</h1>\n<p style=\"margin:20px\" id=\"page\">Page " << page << " of 2</p>\n"
       << "<p style=\"margin:20px\"><a id=\"other\" style=\"color:#fff\" href=\"" << other << "\">"
       << (page == 1 ? "Next page" : "Back to page 1") << "</a></p>\n</body></html>\n";
  return html.str();
}

}  // namespace

Routes::Routes(CreativeCatalogue catalogue, std::string origin, double refreshSeconds,
               std::time_t startTime)
    : catalogue_(std::move(catalogue)),
      script_(startTime),
      origin_(std::move(origin)),
      refreshSeconds_(refreshSeconds) {}

std::optional<AdNetwork::Route> Routes::routeOf(const std::string& path) {
  if (path == kScriptPath) return AdNetwork::Route::Script;
  if (path == kAdPath) return AdNetwork::Route::Ad;
  if (startsWith(path, "/track/")) return AdNetwork::Route::Tracking;
  if (path == kClickPath || startsWith(path, "/landing/")) return AdNetwork::Route::Landing;
  return std::nullopt;
}

ScriptedReply Routes::answer(const Request& request, PageScript::Variant script) {
  const std::string& path = request.path;
  if (path == kScriptPath)
    return script_.reply(script, refusedSlots_, request.ifModifiedSince, std::time(nullptr));
  if (path == kAdPath) return adPage(request);
  if (startsWith(path, "/creative/")) return creativeFile(path);
  if (path == kImpressionPath || path == kClickTrackingPath) {
    return ScriptedReply::ok("tracked\n", {{"Content-Type", kText}});
  }
  if (path == kClickPath) return click(request);
  if (startsWith(path, "/landing/")) return landing(path);
  return notFound();
}

ScriptedReply Routes::adPage(const Request& request) {
  const CreativeCatalogue::Creative& creative =
      whyNotPersonalised(request.query) ? catalogue_.nextNonPersonalised() : catalogue_.next();
  const long ad = ++adsServed_;
  const std::string tag = "ad=" + std::to_string(ad) + "&creative=" + creative.name;
  ScriptedReply::Fields fields{{"Content-Type", kHtml}, {"Cache-Control", "no-store"}};
  if (refreshSeconds_ > 0) fields.emplace_back("X-Avmo-Refresh-Rate", numberText(refreshSeconds_));
  fields.emplace_back("X-Avmo-Tracking-Urls", origin_ + kImpressionPath + "?" + tag);
  if (creative.clickTracked) {
    fields.emplace_back("X-Avmo-Click-Tracking-Urls", origin_ + kClickTrackingPath + "?" + tag);
  }
  if (!creative.orientation.empty())
    fields.emplace_back("X-Avmo-Orientation", creative.orientation);
  return ScriptedReply::ok(catalogue_.page(creative, ad), std::move(fields));
}

ScriptedReply Routes::creativeFile(const std::string& path) const {
  std::vector<std::string> pieces = segments(path);  // creative, <name>, <file>
  if (pieces.size() != 3) return notFound();
  auto file = catalogue_.file(pieces[1], pieces[2]);
  if (!file) return notFound();
  return ScriptedReply::ok(std::string(file->bytes), {{"Content-Type", file->contentType}});
}

// Redirects to "adurl" when it is an address on this network (host-relative) or a web address;
// anything else would make the network an open door to other schemes. Control characters (line
// breaks above all) would break the head the address is written into.
ScriptedReply Routes::click(const Request& request) const {
  auto target = request.query.find("adurl");
  if (target == request.query.end()) {
    return ScriptedReply::withStatus(400, {{"Content-Type", kText}}, "no adurl\n");
  }
  const std::string& address = target->second;
  if (std::any_of(address.begin(), address.end(), isControl)) {
    return ScriptedReply::withStatus(400, {{"Content-Type", kText}},
                                     "adurl holds control characters\n");
  }
  const bool hostRelative = startsWith(address, "/") && !startsWith(address, "//");
  if (!hostRelative && !startsWith(address, "http://") && !startsWith(address, "https://")) {
    return ScriptedReply::withStatus(400, {{"Content-Type", kText}},
                                     "adurl is not a web address\n");
  }
  return ScriptedReply::redirect(hostRelative ? origin_ + address : address);
}

ScriptedReply Routes::landing(const std::string& path) const {
  std::vector<std::string> pieces = segments(path);  // landing, <site>, <page>
  if (pieces.size() != 3 || !isSimpleName(pieces[1])) return notFound();
  if (pieces[2] != "1" && pieces[2] != "2") return notFound();
  return ScriptedReply::ok(landingPage(pieces[1], pieces[2] == "1" ? 1 : 2),
                           {{"Content-Type", kHtml}});
}

}  // namespace adnetwork
