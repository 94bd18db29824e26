#include "platform/net/LocalNetworkRules.h"

#include <regex>

#include "base/ASCII.h"

namespace platform {

namespace {

// Scheme, then user information, if any, then the host.
constexpr std::string_view kBeforeHost = "^[a-z]+://([^/?#]*@)?";
// What ends an IPv4 address or a host name.
constexpr std::string_view kAfterHost = "[:/?#]";
constexpr std::string_view kByte = "[0-9]+\\.";

std::string ipv4(std::string_view leading, int freeBytes) {
  std::string pattern(kBeforeHost);
  pattern += leading;
  for (int i = 1; i < freeBytes; ++i)
    pattern += kByte;
  return pattern + "[0-9]+" + std::string(kAfterHost);
}

std::string escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (std::string_view(".[]()*+?^$\\{}|").find(c) != std::string_view::npos) out += '\\';
    out += c;
  }
  return out;
}

std::optional<int> defaultPort(const base::URL& url) {
  if (url.hasScheme("http") || url.hasScheme("ws")) return 80;
  if (url.hasScheme("https") || url.hasScheme("wss")) return 443;
  return std::nullopt;
}

std::optional<int> effectivePort(const base::URL& url) {
  return url.port() ? url.port() : defaultPort(url);
}

std::string hostText(const base::URL& url) {
  std::string host = base::lowercased(url.host());
  return host.find(':') != std::string::npos ? "[" + host + "]" : host;
}

std::string jsonString(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

}  // namespace

const std::vector<std::string>& LocalNetworkRules::localHostPatterns() {
  static const std::vector<std::string> patterns = [] {
    const std::string before(kBeforeHost);
    const std::string after(kAfterHost);
    return std::vector<std::string>{
        ipv4("127\\.", 3),
        ipv4("10\\.", 3),
        ipv4("172\\.1[6-9]\\.", 2),
        ipv4("172\\.2[0-9]\\.", 2),
        ipv4("172\\.3[01]\\.", 2),
        ipv4("192\\.168\\.", 2),
        ipv4("169\\.254\\.", 2),
        ipv4("0\\.", 3),
        before + "([^/?#:]*\\.)?localhost\\.?" + after,
        // ::, ::1, and IPv4 written as IPv6 (::ffff:7f00:1, ::7f00:1).
        before + "\\[::[0-9a-f.:]*\\]",
        before + "\\[f[cd][0-9a-f]*:",
        before + "\\[fe[89ab][0-9a-f]*:",
    };
  }();
  return patterns;
}

std::string LocalNetworkRules::originPattern(const base::URL& url) {
  std::string pattern = "^";
  pattern.append(escaped(base::lowercased(url.scheme())))
      .append("://")
      .append(escaped(hostText(url)));
  // The engine leaves a scheme's own port out of the address.
  if (url.port() && url.port() != defaultPort(url))
    pattern.append(":").append(std::to_string(*url.port()));
  return pattern.append("[/?#]");
}

namespace {

// localHostPatterns(), in their order, as the engine matches them.
const std::vector<std::regex>& hostExpressions() {
  static const std::vector<std::regex> expressions = [] {
    std::vector<std::regex> made;
    for (const std::string& pattern : LocalNetworkRules::localHostPatterns())
      made.emplace_back(pattern, std::regex::icase | std::regex::optimize);
    return made;
  }();
  return expressions;
}

}  // namespace

bool LocalNetworkRules::isLocal(const base::URL& url) {
  const std::string& text = url.absoluteString();
  for (const std::regex& expression : hostExpressions()) {
    if (std::regex_search(text, expression)) return true;
  }
  return false;
}

std::vector<std::string> LocalNetworkRules::hostPatternsOf(const base::URL& url) {
  std::vector<std::string> matched;
  const std::string& text = url.absoluteString();
  for (size_t i = 0; i < hostExpressions().size(); ++i) {
    if (std::regex_search(text, hostExpressions()[i])) matched.push_back(localHostPatterns()[i]);
  }
  return matched;
}

bool LocalNetworkRules::sameOrigin(const base::URL& a, const base::URL& b) {
  return base::lowercased(a.scheme()) == base::lowercased(b.scheme()) &&
         base::lowercased(a.host()) == base::lowercased(b.host()) &&
         effectivePort(a) == effectivePort(b);
}

std::string LocalNetworkRules::contentRules(const std::vector<base::URL>& ownOrigins) {
  return contentRules(localHostPatterns(), ownOrigins);
}

std::string LocalNetworkRules::contentRules(const std::vector<std::string>& hostPatterns,
                                            const std::vector<base::URL>& ownOrigins) {
  std::string rules = "[";
  for (const std::string& pattern : hostPatterns) {
    if (rules.size() > 1) rules += ",";
    rules += "{\"trigger\":{\"url-filter\":" + jsonString(pattern) +
             "},\"action\":{\"type\":\"block\"}}";
  }
  for (const base::URL& ownOrigin : ownOrigins) {
    std::string origin = jsonString(originPattern(ownOrigin));
    if (rules.size() > 1) rules += ",";
    rules += "{\"trigger\":{\"url-filter\":" + origin + ",\"if-top-url\":[" + origin +
             "]},\"action\":{\"type\":\"ignore-previous-rules\"}}";
  }
  return rules + "]";
}

}  // namespace platform
